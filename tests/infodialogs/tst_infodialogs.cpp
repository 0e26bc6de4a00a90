#include "AboutDlg2g.h"
#include "BackendVersions.h"
#include "ControllerSimulator.h"
#include "DocumentLink.h"
#include "FakeChannel.h"
#include "EventDisplay.h"
#include "IOManagerUdpTcp.h"
#include "MainWindow.h"
#include "StartupController.h"
#include "TextBrowser.h"
#include "MessageBoxProvider.h"
#include "MessageCollector.h"
#include "ModalWatcher.h"
#include "SearchHardwareDlg.h"
#include "ServiceDialog.h"
#include "TestHome.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

#include <memory>

namespace {

constexpr quint16 Port = 50105;


class Boxes : public MessageBoxProvider
{
public:
    void openMessageBox(int, QString title, QString) override { titles << title; }
    QStringList titles;
};

BackendVersions versionsWithProtocol(const QString &protocol)
{
    BackendVersions v;
    v.protocol = ControllerVersion::parse(protocol);
    v.model = QStringLiteral("BQC");
    return v;
}

template <typename T>
T *child(QWidget *dialog, const char *name)
{
    T *w = dialog->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}

QStringList column(QTableWidget *table, int c)
{
    QStringList out;
    for (int r = 0; r < table->rowCount(); ++r)
        out << (table->item(r, c) ? table->item(r, c)->text() : QString());
    return out;
}

void addSlave(FakeChannel &ch, int i, const QByteArray &id, const QByteArray &host, const QByteArray &controller,
              bool available, const QByteArray &version)
{
    ch.setValue("cascade connected_slave d0" + QByteArray::number(i), id);
    ch.setValue("cascade connected_slave_controller " + id, controller);
    ch.setValue("system hostname_slave " + id, host);
    ch.setValue("cascade connected_slave_available " + id, available ? "yes" : "no");
    ch.setValue("system version_slave " + id, version);
}

} // namespace

class TestInfoDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    // --- About ------------------------------------------------------------

    void aboutShowsVersionsAndDefaults()
    {
        FakeChannel ch;
        ch.setValue("system version", "v3.4.2");
        ch.setValue("system hostname", "lab-7");
        ch.setValue("system controller_serial", "1234");
        ch.setValue("system model", "2");
        ch.setValue("system version_copyright", "\"(c) 2026 Example\"");
        BackendVersions v = versionsWithProtocol(QStringLiteral("v1.27.0"));
        AboutDlg2g about(&ch, nullptr, &v, true);
        about.refresh();
        QCOMPARE(child<QLabel>(&about, "label_controller")->text(),
                 QStringLiteral("Firmware release (Controller):\nlab-7 serial S00001234\nv3.4.2"));
        QCOMPARE(child<QLabel>(&about, "label_quorix2")->text(),
                 QStringLiteral("QUORIX4 frontend (on this PC):\nv4.0.1 2026-02-02"));
        const QString zel = child<QLabel>(&about, "label_zel")->text();
        QVERIFY2(zel.startsWith(QStringLiteral("(c) 2026 Example\n")), qPrintable(zel));
        QVERIFY(!zel.contains(QLatin1Char('"')));
        QVERIFY(!QPixmap(about.logoResource()).isNull());

        FakeChannel silent;
        AboutDlg2g bright(&silent, nullptr, &v, false);
        bright.refresh();
        QCOMPARE(child<QLabel>(&bright, "label_controller")->text(),
                 QStringLiteral("Firmware release (Controller):\nunknown serial -1\nunknown"));
        QVERIFY(!QPixmap(bright.logoResource()).isNull());
        for (const char *icon : {":/images/qmessagebox-info.png", ":/images/qmessagebox-info-brightmode.png"})
            QVERIFY2(!QPixmap(QLatin1String(icon)).isNull(), icon);
        QVERIFY(bright.logoResource().endsWith(QLatin1String("-brightmode.png")));
        QCOMPARE(child<QLabel>(&bright, "label_zel")->text(), QStringLiteral("https://www.example.com"));
        QCOMPARE(AboutDlg2g::frontendVersionText(QStringLiteral("rc1")), QStringLiteral("v4.0.1-rc1 2026-02-02"));
    }

    void aboutListsModulesSortedAndTogglesDetails()
    {
        FakeChannel ch;
        BackendVersions v = versionsWithProtocol(QStringLiteral("v1.27.0"));
        AboutDlg2g about(&ch, nullptr, &v, true);
        about.setModuleList({{QStringLiteral("GUI Zeta"), QStringLiteral("v2.0")},
                             {QStringLiteral("GUI Holoview"), QStringLiteral("v1.3.0")},
                             {QStringLiteral("GUI alpha; odd|name"), QString()}});
        about.refresh();
        QTableWidget *table = child<QTableWidget>(&about, "tableWidget_plugins");
        QCOMPARE(column(table, 0), QStringList({"GUI Holoview", "GUI Zeta", "GUI alpha; odd|name"}));
        QCOMPARE(column(table, 1), QStringList({"v1.3.0", "v2.0", ""}));
        QCOMPARE(table->item(0, 1)->textAlignment(), int(Qt::AlignCenter));

        // A second refresh does not duplicate rows.
        about.refresh();
        QCOMPARE(table->rowCount(), 3);

        QPushButton *details = child<QPushButton>(&about, "pushButton_details");
        QVERIFY(!about.detailsVisible());
        details->click();
        QVERIFY(about.detailsVisible());
        QCOMPARE(details->text(), QStringLiteral("Hide &details"));
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(&about, &f1);
        QVERIFY(!about.detailsVisible());
        QCOMPARE(details->text(), QStringLiteral("Show &details"));
    }

    void aboutCascadeTabNeedsProtocol17()
    {
        FakeChannel ch;
        ch.setValue("cascade number_of_connected_slaves", "2");
        addSlave(ch, 1, "slave_1", "hall-b", "0 20001", true, "v3.4.2");
        addSlave(ch, 2, "slave_2", "annex", "0 20002", true, "v3.4.1");
        BackendVersions old = versionsWithProtocol(QStringLiteral("v1.6.9"));
        AboutDlg2g about(&ch, nullptr, &old, true);
        about.refresh();
        QCOMPARE(child<QTabWidget>(&about, "tabWidget_details")->count(), 1);
        for (const QByteArray &c : ch.commands())
            QVERIFY2(!c.contains("cascade"), c.constData());
    }

    void aboutCascadeTabListsSlaves()
    {
        FakeChannel ch;
        ch.setValue("cascade number_of_connected_slaves", "4");
        addSlave(ch, 1, "slave_1", "hall-b", "0 20001", true, "v3.4.2");
        // Slave 2 does not answer its identifier: skipped.
        addSlave(ch, 3, "slave_3", "annex", "0", false, "v9.9.9");
        addSlave(ch, 4, "slave_4", "cellar", "21 20004 extra", true, "v3.5.0");
        ch.setFailure("system hostname_slave slave_4", -99);
        BackendVersions v = versionsWithProtocol(QStringLiteral("v1.7"));
        AboutDlg2g about(&ch, nullptr, &v, true);
        about.refresh();
        auto *tabs = child<QTabWidget>(&about, "tabWidget_details");
        QCOMPARE(tabs->count(), 2);
        auto *table = child<QTableWidget>(&about, "tableWidget_cascade");
        QCOMPARE(column(table, 0), QStringList({"", "annex", "hall-b"}));
        QCOMPARE(column(table, 1), QStringList({"20004", "", "20001"}));
        QCOMPARE(column(table, 2), QStringList({"v3.5.0", "", "v3.4.2"}));

        // Refreshing rebuilds the tab rather than adding another.
        about.refresh();
        QCOMPARE(tabs->count(), 2);
        ch.setValue("cascade number_of_connected_slaves", "0");
        about.refresh();
        QCOMPARE(tabs->count(), 1);
    }

    // --- Service ------------------------------------------------------------

    void serviceIdRules_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QByteArray>("serial");
        QTest::addColumn<QList<QByteArray>>("synccards");
        QTest::addColumn<QString>("id");
        const QList<QByteArray> none;
        QTest::newRow("compact unit") << QByteArray("20") << QByteArray("5511") << none << "KST2-5511";
        QTest::newRow("compact unit 3") << QByteArray("21") << QByteArray("5512") << none << "KST3-5512";
        QTest::newRow("box M pads to 8") << QByteArray("2") << QByteArray("1234") << none << "BQCM-S00001234";
        QTest::newRow("PC service trims") << QByteArray("100") << QByteArray("  PC-77 ") << none << "PC-77";
        QTest::newRow("box") << QByteArray("0") << QByteArray("10234") << QList<QByteArray>{"0x0302 1"} << "BQC-10234";
        QTest::newRow("second sync card 0x0401")
            << QByteArray("0") << QByteArray("10234") << QList<QByteArray>{"0x0302 1", "0x0401 3302"} << "10234";
        QTest::newRow("0x0401 must be the whole first word")
            << QByteArray("0") << QByteArray("10234") << QList<QByteArray>{"0x04011 1", "x0x0401"} << "BQC-10234";
        QTest::newRow("unknown model, sync card") << QByteArray("7") << QByteArray("88") << QList<QByteArray>{"0x0401"} << "88";
        QTest::newRow("nothing answered") << QByteArray() << QByteArray() << none << "BQC-00000";
    }

    void serviceIdRules()
    {
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, serial);
        QFETCH(QList<QByteArray>, synccards);
        QFETCH(QString, id);
        FakeChannel ch;
        if (!model.isNull())
            ch.setValue("system model", model);
        if (!serial.isNull())
            ch.setValue("system controller_serial", serial);
        ch.setValue("system version", "v3.4.2");
        if (!synccards.isEmpty())
            ch.setValue("synccard number_of_synccards", QByteArray::number(synccards.size()));
        for (int i = 0; i < synccards.size(); ++i)
            ch.setValue("synccard synccard d0" + QByteArray::number(i + 1), synccards.at(i));

        BackendVersions v = versionsWithProtocol(QStringLiteral("v1.27.0"));
        ServiceDialog dialog(&ch, nullptr, &v);
        QCOMPARE(dialog.serviceId(), QStringLiteral("00000"));
        dialog.refresh();
        QCOMPARE(dialog.serviceId(), id);
        QCOMPARE(child<QLineEdit>(&dialog, "lineEdit_serviceid")->text(), id);
        QVERIFY(child<QLabel>(&dialog, "label_technicalsupport")->text().contains(QStringLiteral("supportID=") + id));
    }

    // A Controller without sync cards refuses the question: the dialog asks
    // quietly and falls back, as the report does.
    void serviceAsksQuietly()
    {
        const QString address = QStringLiteral("127.0.16.%1").arg(m_nextAddress++);
        ControllerSimulator sim{SimScenario()};
        QString error;
        QVERIFY2(sim.start(address, Port, &error), qPrintable(error));
        SimFaults faults;
        faults.errorReplies << QStringLiteral("get synccard") << QStringLiteral("get system version");
        sim.setFaults(faults);
        Boxes boxes;
        IOManagerUdpTcp channel(&boxes);
        unsigned short dataPort = 0;
        QCOMPARE(channel.connectController(address.toLatin1().constData(), Port, &dataPort), 0);
        BackendVersions v = versionsWithProtocol(QStringLiteral("v1.27.0"));
        ServiceDialog dialog(&channel, nullptr, &v);
        dialog.refresh();
        QCOMPARE(dialog.serviceId(), QStringLiteral("BQC-10234"));
        QCOMPARE(child<QLineEdit>(&dialog, "lineEdit_version")->text(), QString());
        QCOMPARE(boxes.titles, QStringList());
    }

    void controllerTextsStayText()
    {
        // The copyright is the Controller's text: markup in it is shown, not rendered.
        FakeChannel ch;
        ch.setValue("system hostname", "<b>lab</b>");
        ch.setValue("system version_copyright", "<img src='http://198.18.0.1/x.png'>(c)");
        BackendVersions v = versionsWithProtocol(QStringLiteral("v1.27.0"));
        AboutDlg2g about(&ch, nullptr, &v, true);
        about.refresh();
        for (const char *name : {"label_zel", "label_controller"}) {
            const QLabel *label = child<QLabel>(&about, name);
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QVERIFY(label->text().contains(QLatin1Char('<')));
        }

        // The serial goes into the support link encoded: it can neither add
        // query fields nor end the link.
        FakeChannel service;
        service.setValue("system model", "100");
        service.setValue("system controller_serial", "7&x=1#\\\"><b>");
        ServiceDialog dialog(&service, nullptr, &v);
        dialog.refresh();
        QCOMPARE(dialog.serviceId(), QStringLiteral("7&x=1#\\\"><b>"));
        const QString link = QStringLiteral("https://support.example.com/request?supportID=7%26x%3D1%23%5C%22%3E%3Cb%3E");
        const QString html = child<QLabel>(&dialog, "label_technicalsupport")->text();
        QCOMPARE(html, QStringLiteral("<a href=\"%1\">%1</a>").arg(link));
        QCOMPARE(QUrl(link).query(QUrl::FullyDecoded), QStringLiteral("supportID=7&x=1#\\\"><b>"));
    }

    void serviceCopiesIdAndVersion()
    {
        FakeChannel ch;
        ch.setValue("system model", "21");
        ch.setValue("system controller_serial", "4711");
        BackendVersions v = versionsWithProtocol(QStringLiteral("v1.27.0"));
        ServiceDialog dialog(&ch, nullptr, &v);
        dialog.refresh();
        QCOMPARE(child<QLineEdit>(&dialog, "lineEdit_version")->text(), QString());
        child<QPushButton>(&dialog, "pushButton_copy")->click();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("service ID: KST3-4711\nQUORIX: \n"));
    }

    void serviceExportUsesTheRegisteredRunner()
    {
        FakeChannel ch;
        BackendVersions v = versionsWithProtocol(QStringLiteral("v1.27.0"));
        {
            ServiceDialog without(&ch, nullptr, &v);
            QPushButton *button = child<QPushButton>(&without, "pushButton_export");
            QVERIFY(!button->isEnabled());
            QVERIFY(!button->toolTip().isEmpty());
        }
        int calls = 0;
        QString handedText;
        QDateTime handedDate;
        ServiceDialog::setExportRunner([&](QWidget *parent, IOManager *channel, BackendVersions *versions,
                                           const QDateTime &date, const QString &text) {
            ++calls;
            QVERIFY(parent);
            QCOMPARE(channel, static_cast<IOManager *>(&ch));
            QCOMPARE(versions, &v);
            handedDate = date;
            handedText = text;
        });
        ServiceDialog dialog(&ch, nullptr, &v);
        const QDateTime date(QDate(2026, 1, 5), QTime(9, 30));
        dialog.setLastFeUpdateDate(date);
        dialog.setVersionFeAndModules(QStringLiteral("v4.0.1  2026-02-02|GUI Holoview;v1.3.0"));
        QPushButton *button = child<QPushButton>(&dialog, "pushButton_export");
        QVERIFY(button->isEnabled());
        button->click();
        ServiceDialog::setExportRunner(nullptr);
        QCOMPARE(calls, 1);
        QCOMPARE(handedDate, date);
        QCOMPARE(handedText, QStringLiteral("v4.0.1  2026-02-02|GUI Holoview;v1.3.0"));
    }

    // --- Links and documents ---------------------------------------------------

    void guideLinksPointNextToTheProgram()
    {
        FakeChannel ch;
        BackendVersions v;
        ServiceDialog dialog(&ch, nullptr, &v);
        const QString dir = QCoreApplication::applicationDirPath();
        const QString users = child<QLabel>(&dialog, "label_users_guide")->text();
        QVERIFY2(users.contains(QStringLiteral("\"file://%1/doc/users_guide.pdf\"").arg(dir)), qPrintable(users));
        QVERIFY(users.contains(QStringLiteral("QUORIX4 User's Guide")));
        AboutDlg2g about(&ch, nullptr, &v, true);
        QVERIFY(child<QLabel>(&about, "label_opensource")->text().contains(QStringLiteral("/license/ZEL_OSD.pdf\"")));
        QCOMPARE(DocumentLink::localUrl(QStringLiteral("/opt/q4"), QStringLiteral("doc/a b.pdf")),
                 QStringLiteral("file:///opt/q4/doc/a b.pdf"));
    }

    void missingDocumentWarns()
    {
        ModalWatcher watcher;
        FakeChannel ch;
        BackendVersions v;
        ServiceDialog dialog(&ch, nullptr, &v);
        const QString link = DocumentLink::localUrl(m_home->path(), QStringLiteral("doc/none.pdf"));
        dialog.processLink(link);
        QVERIFY(watcher.waitForModal());
        QCOMPARE(watcher.seen().at(0).title, QStringLiteral("Error"));
        QCOMPARE(watcher.seen().at(0).text,
                 QStringLiteral("Failed to open ") + link + QStringLiteral(" Do you have a PDF reader installed?"));

        watcher.clear();
        QVERIFY(!DocumentLink::open(QStringLiteral("file:///"), nullptr));
        QVERIFY(watcher.waitForModal());
    }

    void shippedDocumentsArePdfs()
    {
        const QString appDir = qEnvironmentVariable("QUORIX_APP_DIR");
        if (appDir.isEmpty())
            QSKIP("QUORIX_APP_DIR not set: run through ctest");
        for (const char *name : {"license/ZEL_OSD.pdf", "doc/users_guide.pdf", "doc/installation_guide.pdf",
                                 "doc/programmers_guide.pdf"}) {
            QFile pdf(QDir(appDir).filePath(QLatin1String(name)));
            QVERIFY2(pdf.open(QIODevice::ReadOnly), name);
            const QByteArray content = pdf.readAll();
            QVERIFY2(content.startsWith("%PDF-"), name);
            QVERIFY2(content.contains("%%EOF"), name);
            QVERIFY2(content.size() > 4000, name);
        }
    }

    // --- Hardware search --------------------------------------------------------

    void searchBudget_data()
    {
        QTest::addColumn<QByteArray>("slaves");
        QTest::addColumn<QByteArray>("wake");
        QTest::addColumn<int>("seconds");
        QTest::newRow("alone") << QByteArray("0") << QByteArray("no") << 15;
        QTest::newRow("not answered") << QByteArray() << QByteArray() << 15;
        QTest::newRow("one slave") << QByteArray("1") << QByteArray("no") << 45;
        QTest::newRow("slave that can be woken") << QByteArray("1") << QByteArray("yes") << 90;
        QTest::newRow("wake without slaves") << QByteArray("0") << QByteArray("yes") << 60;
        QTest::newRow("wake must be exactly yes") << QByteArray("2") << QByteArray("\"yes\"") << 45;
    }

    void searchBudget()
    {
        QFETCH(QByteArray, slaves);
        QFETCH(QByteArray, wake);
        QFETCH(int, seconds);
        FakeChannel ch;
        if (!slaves.isNull())
            ch.setValue("cascade number_of_connected_slaves", slaves);
        if (!wake.isNull())
            ch.setValue("cascade wol_slaves", wake);
        SearchHardwareDlg dialog(nullptr, &ch, QString());
        QCOMPARE(dialog.budgetSeconds(), seconds);
        QCOMPARE(child<QLabel>(&dialog, "label_hint")->text(),
                 QStringLiteral("This may take up to %1 seconds!").arg(seconds));
    }

    void searchCancelSendsNothing()
    {
        FakeChannel ch;
        SearchHardwareDlg dialog(nullptr, &ch, QString());
        ch.clearCommands();
        QTimer::singleShot(50, &dialog, [&] { child<QPushButton>(&dialog, "pushButton_cancel")->click(); });
        QCOMPARE(dialog.update_and_exec(), int(QDialog::Rejected));
        QVERIFY(ch.commands().isEmpty());
    }

    void searchAgainstSimulator_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("access");
        QTest::addColumn<QString>("message");
        QTest::newRow("by the user") << QString() << true << "Search for new hardware...done";
        QTest::newRow("cameraupdate") << "cameraupdate" << true << "Search for new hardware...done";
        QTest::newRow("refused") << QString() << false << "Error: Unable search for new hardware";
    }

    void searchAgainstSimulator()
    {
        QFETCH(QString, mode);
        QFETCH(bool, access);
        QFETCH(QString, message);
        const QString address = QStringLiteral("127.0.16.%1").arg(m_nextAddress++);
        SimScenario scenario;
        scenario.reinitDelayMs = 1400;   // longer than the 1 s before collecting
        scenario.fullAccess = access;
        ControllerSimulator sim(scenario);
        QString error;
        QVERIFY2(sim.start(address, Port, &error), qPrintable(error));
        Boxes boxes;
        IOManagerUdpTcp channel(&boxes);
        unsigned short dataPort = 0;
        QCOMPARE(channel.connectController(address.toLatin1().constData(), Port, &dataPort), 0);
        MessageCollector standard;
        QCOMPARE(channel.addMessageReceiver("standard", &standard), 0);

        SearchHardwareDlg dialog(nullptr, &channel, mode);
        QCOMPARE(dialog.budgetSeconds(), 15);
        QPushButton *ok = child<QPushButton>(&dialog, "pushButton_ok");
        QPushButton *cancel = child<QPushButton>(&dialog, "pushButton_cancel");
        bool sawSearching = false;
        bool escapeIgnored = false;
        bool buttonsHidden = false;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, &dialog, [&] {
            if (!dialog.isVisible())
                return;
            buttonsHidden = ok->isHidden() && cancel->isHidden();
            if (mode.isEmpty() && ok->isEnabled() && !dialog.isSearching())
                ok->click();
            if (dialog.isSearching() && !sawSearching) {
                sawSearching = true;
                QCOMPARE(child<QLabel>(&dialog, "label_searching")->text(), QStringLiteral("Searching..."));
                QVERIFY(!ok->isEnabled() && !cancel->isEnabled());
                dialog.reject();   // as Escape would
                escapeIgnored = dialog.isVisible();
            }
        });
        poll.start();
        QCOMPARE(dialog.update_and_exec(), int(QDialog::Accepted));
        poll.stop();
        QVERIFY(sawSearching);
        QVERIFY(escapeIgnored);
        QCOMPARE(buttonsHidden, mode == QLatin1String("cameraupdate"));
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(sim.waitForCommand(QStringLiteral("quorix2 reinit"), 1000));

        QCOMPARE(standard.messages.size(), 1);
        QCOMPARE(standard.messages.at(0).sender, QStringLiteral("QUORIX4"));
        QCOMPARE(standard.messages.at(0).type, 1);
        QCOMPARE(standard.messages.at(0).text, message);
        // The channel is free again for the next command.
        QVERIFY(!channel.isBusy());
        char host[IOManager::BufferSize] = "";
        QCOMPARE(channel.getString(host, "system hostname"), 0);
        channel.removeMessageReceiver("standard", &standard);
    }

    // --- The menus -----------------------------------------------------------------

    void menuEntriesOpenTheDialogs()
    {
        const QString address = QStringLiteral("127.0.16.%1").arg(m_nextAddress++);
        SimScenario scenario;
        scenario.reinitDelayMs = 200;
        ControllerSimulator sim(scenario);
        QString error;
        QVERIFY2(sim.start(address, Port, &error), qPrintable(error));
        ModalWatcher watcher;
        {
            const std::unique_ptr<MainWindow> opened = StartupController(QStringLiteral("-host ") + address).openWindow();
            QVERIFY(opened);
            MainWindow &window = *opened;
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QMenu *help = window.menuByTitle(QStringLiteral("&Help"));
            QMenu *hardware = window.menuByTitle(QStringLiteral("H&ardware"));
            QVERIFY(help && hardware);
            auto action = [](QMenu *menu, const QString &text) -> QAction * {
                for (QAction *a : menu->actions())
                    if (a->text() == text)
                        return a;
                return nullptr;
            };
            QAction *about = action(help, QStringLiteral("&QUORIX4"));
            QAction *service = action(help, QStringLiteral("&Service and Guides"));
            QAction *search = action(hardware, QStringLiteral("Search &hardware"));
            QVERIFY(about && service && search);
            QCOMPARE(about->shortcut(), QKeySequence(Qt::Key_F1));
            QCOMPARE(search->shortcut(), QKeySequence(Qt::Key_F2));

            watcher.clear();
            about->trigger();
            QVERIFY(watcher.waitForModal());
            QCOMPARE(watcher.seen().last().title, QStringLiteral("About QUORIX4"));
            service->trigger();
            QVERIFY(watcher.waitForModal());
            QCOMPARE(watcher.seen().last().title, QStringLiteral("Service"));

            watcher.answer(QStringLiteral("Search for new hardware"), ModalWatcher::Answer::press(QStringLiteral("OK")));
            sim.clearCommandLog();
            search->trigger();
            QVERIFY(watcher.waitForModal());
            QVERIFY(sim.waitForCommand(QStringLiteral("quorix2 reinit"), 2000));
            QTRY_VERIFY(window.eventDisplay()->view()->toPlainText().contains(
                QStringLiteral("Search for new hardware...done")));
        }
    }

private:
    std::unique_ptr<TestHome> m_home;
    int m_nextAddress = 2;
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(quorix);   // the images live in a static library
    TestInfoDialogs test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_infodialogs.moc"
