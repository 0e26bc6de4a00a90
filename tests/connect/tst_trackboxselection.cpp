#include "ControllerSimulator.h"
#include "LocalServiceControl.h"
#include "ModalWatcher.h"
#include "ScriptedResponder.h"
#include "TestHome.h"
#include "TestNetwork.h"
#include "TrackboxSelection.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVariantAnimation>
#include <QHeaderView>
#include <QScrollBar>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

namespace {

// The back-end service as the dialog sees it, with the watcher's callback in
// the test's hands.
class FakeService : public LocalServiceControl
{
public:
    bool installed = true;
    std::atomic<int> state{Stopped};
    std::atomic<int> stateQueries{0};
    int starts = 0;
    int stops = 0;
    Listener listener;
    QByteArray key;

    bool isInstalled() override { return installed; }
    int currentState() override
    {
        ++stateQueries;
        return state;
    }
    void startLocalService() override { ++starts; }
    void stopLocalService() override { ++stops; }
    bool connectStatusListener(const QByteArray &k, Listener l) override
    {
        key = k;
        listener = l;
        return true;
    }
    bool disconnectStatusListener(const QByteArray &k) override
    {
        if (k != key)
            return false;
        key.clear();
        listener = nullptr;
        return true;
    }
    // As the watcher does: from a thread of its own.
    void report(int s, int error)
    {
        std::thread watcher([this, s, error] { listener(s, error); });
        watcher.join();
    }
};

template <typename T>
T *child(QObject *parent, const char *name)
{
    T *w = parent->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}

QTableWidget *table(TrackboxSelection &d) { return child<QTableWidget>(&d, "tableWidget"); }
QString errorLabel(TrackboxSelection &d) { return child<QLabel>(&d, "label_errorMessage")->text(); }
QPushButton *connectButton(TrackboxSelection &d) { return child<QPushButton>(&d, "pushButton_connect"); }

QStringList column(TrackboxSelection &d, int c)
{
    QStringList out;
    for (int row = 0; row < table(d)->rowCount(); ++row)
        out << (table(d)->item(row, c) ? table(d)->item(row, c)->text() : QString());
    return out;
}

// Host mode with text typed by the user, the search not yet run.
void typeHost(TrackboxSelection &d, const QString &text)
{
    d.setSelectionMode(TrackboxSelection::ModeHost);
    d.setFixedHostOrIp(text);
    child<QLineEdit>(&d, "txt_fixHostnameOrIp")->setModified(true);
}

enum class Light { None, Red, Yellow, Green };

Light light(TrackboxSelection &d)
{
    const QPixmap p = child<QLabel>(&d, "label_statusServiceIcon")->pixmap(Qt::ReturnByValue);
    if (p.isNull())
        return Light::None;
    const QColor c = p.toImage().pixelColor(p.width() / 2, p.height() / 2);
    if (c.red() > 150 && c.green() > 150)
        return Light::Yellow;
    return c.red() > c.green() ? Light::Red : Light::Green;
}

} // namespace

Q_DECLARE_METATYPE(Light)

class TestTrackboxSelection : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<FakeService> m_service;
    std::unique_ptr<ControllerSimulator> m_sim;
    int m_next = 1;

    // A Controller of its own at a fresh loopback address.
    QString startSim(const SimScenario &scenario = SimScenario(), const SimFaults &faults = SimFaults(),
                     const QString &bind = QString())
    {
        const QString address = bind.isEmpty() ? QStringLiteral("127.0.9.%1").arg(m_next++) : bind;
        m_sim = std::make_unique<ControllerSimulator>(scenario);
        m_sim->setFaults(faults);
        QString error;
        if (!m_sim->start(address, 50105, &error))
            qFatal("simulator did not start at %s: %s", qPrintable(address), qPrintable(error));
        return address;
    }

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_service = std::make_unique<FakeService>();
        LocalServiceControl::setInstance(m_service.get());
    }
    void cleanup()
    {
        m_sim.reset();
        LocalServiceControl::setInstance(nullptr);
        m_service.reset();
        m_home.reset();
    }

    // Only the address columns a user reads are shown, and the host field
    // takes nothing a host name cannot hold.
    void columnsAndHostInput()
    {
        TrackboxSelection d;
        QStringList headers;
        QStringList shown;
        for (int c = 0; c < table(d)->columnCount(); ++c) {
            headers << table(d)->horizontalHeaderItem(c)->text();
            if (!table(d)->isColumnHidden(c))
                shown << headers.last();
        }
        QCOMPARE(headers, (QStringList{"Name", "Serial", "Access", "Version", "IP numerical", "IP", "Port", "Cascaded System", "MAC"}));
        QCOMPARE(shown, (QStringList{"Name", "Serial", "Access", "Version", "IP"}));

        // Only letters, digits, "-" and "." reach the host field.
        QLineEdit *host = child<QLineEdit>(&d, "txt_fixHostnameOrIp");
        QTest::keyClicks(host, QStringLiteral("lab_box 2.local"));
        QCOMPARE(host->text(), QStringLiteral("labbox2.local"));
    }

    void subnetChoice()
    {
        TrackboxSelection d;
        QComboBox *box = child<QComboBox>(&d, "cb_fixSubnet");
        d.setFixedSubnet(QStringLiteral(" 198.18.40.255 "));
        QCOMPARE(box->itemText(0), QStringLiteral("(all subnets)"));
        QCOMPARE(d.fixedSubnet(), QStringLiteral("198.18.40.255"));
        const int entries = box->count();
        d.setFixedSubnet(QStringLiteral("198.18.40.255"));
        QCOMPARE(box->count(), entries);   // found, not added twice
        d.setFixedSubnet(QStringLiteral("198.18.40.256"));
        QCOMPARE(d.fixedSubnet(), QStringLiteral("(all subnets)"));
    }

    // Choices applied from the preferences before the dialog opens start no
    // search; an unknown mode falls back to the subnet scan.
    void choicesBeforeOpeningSearchNothing()
    {
        TrackboxSelection d;
        d.setSelectionMode(7);
        QCOMPARE(d.selectionMode(), 0);
        d.setSelectionMode(2);
        d.setFixedHostOrIp(QStringLiteral("labbox"));
        QTest::qWait(50);
        QCOMPARE(m_service->stateQueries.load(), 0);
        QCOMPARE(table(d)->rowCount(), 0);
    }

    void hostCheck_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("error");
        QTest::newRow("broadcast octet") << "10.0.0.255" << "Invalid last octet (1..254).";
        QTest::newRow("network octet") << "10.0.0.0" << "Invalid last octet (1..254).";
        QTest::newRow("numbers only") << "1234" << "Invalid numbers-only hostname.";
        QTest::newRow("octet above 255") << "10.0.0.256" << "Invalid numbers-only hostname.";
        QTest::newRow("empty") << "" << "Invalid empty hostname";
        QTest::newRow("unresolvable") << "no-such-box.invalid" << "Unable to resolve hostname.";
    }
    void hostCheck()
    {
        QFETCH(QString, host);
        QFETCH(QString, error);
        TrackboxSelection d;
        typeHost(d, host);
        QCOMPARE(d.handle_trackboxtable_update(), 0);
        QCOMPARE(errorLabel(d), error);
        QCOMPARE(column(d, 0), QStringList{"cannot resolve hostname / IP address"});
        QVERIFY(!connectButton(d)->isEnabled());

        // Before the user touched the field only the row tells; an empty
        // field that nobody typed into is no error at all.
        child<QLineEdit>(&d, "txt_fixHostnameOrIp")->setModified(false);
        child<QLabel>(&d, "label_errorMessage")->clear();
        d.handle_trackboxtable_update();
        QCOMPARE(errorLabel(d), QString());
        QCOMPARE(column(d, 0), host.isEmpty() ? QStringList() : QStringList{"cannot resolve hostname / IP address"});
    }

    // Enter in the host field searches, every time, and does not connect by itself.
    void enterSearches()
    {
        SimScenario scenario;
        scenario.hostName = QStringLiteral("typedbox");
        const QString address = startSim(scenario);
        TrackboxSelection d;
        d.setSelectionMode(TrackboxSelection::ModeHost);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QLineEdit *field = child<QLineEdit>(&d, "txt_fixHostnameOrIp");
        field->setFocus();
        QTest::keyClicks(field, address);
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_COMPARE(column(d, TrackboxSelection::ColName), QStringList{"typedbox"});
        QVERIFY(connectButton(d)->isEnabled());
        m_sim->clearCommandLog();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Enter);
        QTRY_VERIFY(!m_sim->commandLog().isEmpty());
        QTRY_COMPARE(column(d, TrackboxSelection::ColName), QStringList{"typedbox"});
        QVERIFY(d.isVisible());   // not closed by the default button
        QCOMPARE(d.result(), 0);
    }

    void secondErrorKeepsFirst()
    {
        TrackboxSelection d;
        typeHost(d, QStringLiteral("1234"));
        d.handleServiceControlsUpdate(LocalServiceControl::Removed, 0);
        const QString first = QStringLiteral("QUORIX-Service was removed. Maybe someone is updating the software.");
        QCOMPARE(errorLabel(d), first);
        d.handle_trackboxtable_update();
        QCOMPARE(errorLabel(d), first);
    }

    void oneFullControllerIsPreselected()
    {
        SimScenario scenario;
        scenario.hostName = QStringLiteral("labbox");
        scenario.serial = QStringLiteral("4711");
        const QString address = startSim(scenario);
        TrackboxSelection d;
        typeHost(d, address);
        QCOMPARE(d.handle_trackboxtable_update(), 1);
        QCOMPARE(column(d, TrackboxSelection::ColName), QStringList{"labbox"});
        QCOMPARE(column(d, TrackboxSelection::ColSerial), QStringList{"4711"});
        QCOMPARE(column(d, TrackboxSelection::ColIp), QStringList{address});
        QCOMPARE(column(d, TrackboxSelection::ColPort), QStringList{"50105"});
        QCOMPARE(table(d)->currentRow(), 0);
        QVERIFY(table(d)->item(0, 0)->isSelected());
        QVERIFY(connectButton(d)->isEnabled());
        QCOMPARE(d.focusWidget(), connectButton(d));
    }

    void heldControllerIsGrey()
    {
        SimScenario scenario;
        scenario.fullAccess = false;
        const QString address = startSim(scenario);
        TrackboxSelection d;
        typeHost(d, address);
        QCOMPARE(d.handle_trackboxtable_update(), 0);
        // Who holds it, not the protocol's "none" and "ip".
        QCOMPARE(column(d, TrackboxSelection::ColAccess), QStringList{"in use by 127.0.0.99"});
        QCOMPARE(table(d)->item(0, 0)->foreground().color(), d.palette().color(QPalette::Disabled, QPalette::Text));
        QVERIFY(!connectButton(d)->isEnabled());
        table(d)->setCurrentCell(0, 0);
        QVERIFY(!connectButton(d)->isEnabled());
        // The disabled button says why.
        QVERIFY2(connectButton(d)->toolTip().contains("Another front end holds quorixsim (in use by 127.0.0.99)"),
                 qPrintable(connectButton(d)->toolTip()));
        // ... and what to do: the holder's user lets it go.
        QCOMPARE(table(d)->item(0, TrackboxSelection::ColAccess)->toolTip(), TrackboxSelection::heldAdvice("127.0.0.99"));
        QVERIFY(connectButton(d)->toolTip().endsWith(TrackboxSelection::heldAdvice("127.0.0.99")));
        QVERIFY(table(d)->isColumnHidden(TrackboxSelection::ColCascaded));   // this one says "no"
    }

    void cascadeSlaveShowsColumn()
    {
        ScriptedResponder r;
        QVERIFY(r.start(QStringLiteral("127.0.9.200")));
        r.on("quorix2 get system version", ScriptedResponder::Action::reply("quorix2 set system version v3.0.1"));
        r.on("quorix2 get system hostname", ScriptedResponder::Action::reply("quorix2 set system hostname slavebox"));
        r.on("quorix2 get system protocol_version", ScriptedResponder::Action::reply("quorix2 set system protocol_version v1.7"));
        r.on("quorix2 get system access", ScriptedResponder::Action::reply("quorix2 set system access none"));
        r.on("quorix2 get system slave", ScriptedResponder::Action::reply("quorix2 set system slave yes"));
        r.onPrefix("quorix2 get", ScriptedResponder::Action::none());
        TrackboxSelection d;
        typeHost(d, QStringLiteral("127.0.9.200"));
        d.handle_trackboxtable_update();
        QVERIFY(!table(d)->isColumnHidden(TrackboxSelection::ColCascaded));
        QCOMPARE(column(d, TrackboxSelection::ColCascaded), QStringList{"slave"});
        QCOMPARE(column(d, TrackboxSelection::ColAccess), QStringList{"none"});   // it does not say who holds it
        QCOMPARE(column(d, TrackboxSelection::ColSerial), QStringList{"unknown"});

        // Shown, every column is read whole, without a scroll bar.
        r.on("quorix2 get system hostname",
             ScriptedResponder::Action::reply("quorix2 set system hostname slavebox-in-the-second-hall-beside-the-door"));
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.handle_trackboxtable_update();
        QTRY_COMPARE(table(d)->horizontalScrollBar()->maximum(), 0);
        const QHeaderView *header = table(d)->horizontalHeader();
        for (int c = 0; c < table(d)->columnCount(); ++c)
            if (!table(d)->isColumnHidden(c))
                QVERIFY2(header->sectionSize(c) >= header->sectionSizeHint(c), qPrintable(QString::number(c)));
    }

    void localMessages_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("message");
        QTest::newRow("stopped") << int(LocalServiceControl::Stopped) << "no local QUORIX4 instance running";
        QTest::newRow("starting") << int(LocalServiceControl::StartPending) << "local QUORIX4 instance starting up...";
        QTest::newRow("unknown") << int(LocalServiceControl::Unknown) << "no local QUORIX4 instance running";
        QTest::newRow("running, silent") << int(LocalServiceControl::Running) << "local QUORIX4 instance not responding";
    }
    void localMessages()
    {
        QFETCH(int, state);
        QFETCH(QString, message);
        if (state == LocalServiceControl::Running && !TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        m_service->state = state;
        TrackboxSelection d;
        d.setSelectionMode(TrackboxSelection::ModeLocal);
        QCOMPARE(d.handle_trackboxtable_update(), 0);
        QCOMPARE(column(d, 0), QStringList{message});
    }

    void nothingOnSubnets()
    {
        if (!TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        TrackboxSelection d;
        QCOMPARE(d.handle_trackboxtable_update(), 0);
        QCOMPARE(column(d, 0), (QStringList{"no controller found", "possibly blocked by the firewall (TCP and UDP port 50105)",
                                      "or no controller in subnet"}));
        QVERIFY(table(d)->isColumnHidden(TrackboxSelection::ColCascaded));
        QVERIFY(!connectButton(d)->isEnabled());
        // A message is no Controller: it cannot be chosen.
        QVERIFY(!(table(d)->item(0, 0)->flags() & Qt::ItemIsSelectable));
        table(d)->setFocus();
        QTest::keyClick(table(d), Qt::Key_Down);
        QVERIFY(table(d)->selectedItems().isEmpty());
        QVERIFY(!connectButton(d)->isEnabled());
    }

    void localServiceFound()
    {
        if (!TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        SimScenario scenario;
        scenario.hostName = QStringLiteral("thispc");
        startSim(scenario, SimFaults(), QStringLiteral("0.0.0.0"));
        m_service->state = LocalServiceControl::Running;
        TrackboxSelection d;
        d.setSelectionMode(TrackboxSelection::ModeLocal);
        QCOMPARE(d.handle_trackboxtable_update(), 1);
        QCOMPARE(column(d, TrackboxSelection::ColName), QStringList{"thispc"});
        QCOMPARE(column(d, TrackboxSelection::ColIp), QStringList{"127.0.0.1"});
    }

    // Two Controllers on two test subnets, sorted by clicks on the Serial header.
    void sortingByHeader()
    {
        if (!TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        TestNetwork net;
        for (int i : {0, 1}) {
            const int host = net.addHost();
            QVERIFY2(host >= 0 && net.link(host, QStringLiteral("198.18.%1.1/24").arg(31 + i), QStringLiteral("198.18.%1.2/24").arg(31 + i))
                         && net.startSim(host, {"--hostname", i ? "alpha" : "beta", "--serial", i ? "222" : "111"}),
                     qPrintable(net.error()));
        }
        TrackboxSelection d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QCOMPARE(d.handle_trackboxtable_update(), 2);
        QCOMPARE(column(d, TrackboxSelection::ColName), (QStringList{"alpha", "beta"}));   // by name at first
        QVERIFY(!connectButton(d)->isEnabled());   // two: the user picks

        QHeaderView *header = table(d)->horizontalHeader();
        auto clickSerial = [&] {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                              QPoint(header->sectionViewportPosition(TrackboxSelection::ColSerial) + 5, header->height() / 2));
        };
        clickSerial();
        QCOMPARE(column(d, TrackboxSelection::ColSerial), (QStringList{"111", "222"}));
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        clickSerial();
        QCOMPARE(column(d, TrackboxSelection::ColSerial), (QStringList{"222", "111"}));
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        clickSerial();
        QCOMPARE(column(d, TrackboxSelection::ColSerial), (QStringList{"111", "222"}));
        QCOMPARE(header->sortIndicatorSection(), int(TrackboxSelection::ColSerial));

        // A new search keeps the order the user chose.
        clickSerial();
        d.handle_trackboxtable_update();
        QCOMPARE(column(d, TrackboxSelection::ColSerial), (QStringList{"222", "111"}));

        table(d)->setCurrentCell(1, 0);
        QVERIFY(connectButton(d)->isEnabled());

        // From the keyboard: after a search the list has the focus, Tab
        // leaves it for the buttons and Shift+Tab for the search above,
        // arrows choose a Controller, Return connects to it.
        QSignalSpy chosen(&d, &TrackboxSelection::trackbox_changed);
        d.handle_trackboxtable_update();
        QCOMPARE(QApplication::focusWidget(), table(d));
        QVERIFY(!connectButton(d)->isEnabled());
        QTest::keyClick(table(d), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), child<QPushButton>(&d, "pushButton_update"));
        table(d)->setFocus();
        QTest::keyClick(table(d), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), child<QComboBox>(&d, "cb_fixSubnet"));
        table(d)->setFocus();
        QTest::keyClick(table(d), Qt::Key_Down);
        QVERIFY(connectButton(d)->isEnabled());
        QTest::keyClick(table(d), Qt::Key_Return);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.at(0).at(0).toString(), table(d)->item(table(d)->currentRow(), 0)->text());
    }

    void connectWithPassword()
    {
        SimScenario scenario;
        scenario.hostName = QStringLiteral("locked");
        scenario.serial = QStringLiteral("808");
        scenario.mac = QStringLiteral("02:00:00:00:08:08");
        scenario.password = QStringLiteral("lab_pass-1");
        const QString address = startSim(scenario);
        TrackboxSelection d;
        typeHost(d, address);
        QCOMPARE(d.handle_trackboxtable_update(), 1);
        QStringList emitted;
        connect(&d, &TrackboxSelection::trackbox_changed, [&](const QString &v) { emitted << "host " + v; });
        connect(&d, &TrackboxSelection::trackbox_changed_port, [&](unsigned v) { emitted << "port " + QString::number(v); });
        connect(&d, &TrackboxSelection::trackbox_changed_ip, [&](unsigned v) { emitted << "ip " + QHostAddress(v).toString(); });
        connect(&d, &TrackboxSelection::trackbox_changed_serial, [&](const QString &v) { emitted << "serial " + v; });
        connect(&d, &TrackboxSelection::trackbox_changed_mac, [&](const QString &v) { emitted << "mac " + v; });
        QSignalSpy finished(&d, &QDialog::finished);

        ModalWatcher watcher;
        watcher.answer(QStringLiteral("Access Control"), ModalWatcher::Answer::leaveOpen());
        connect(&watcher, &ModalWatcher::handled, this, [](const QString &title) {
            if (title != QLatin1String("Access Control"))
                return;
            QTimer::singleShot(0, [] {
                QWidget *input = QApplication::activeModalWidget();
                QVERIFY(input);
                child<QLineEdit>(input, "lineEdit_Password")->setText(QStringLiteral("lab_pass-1"));
                child<QPushButton>(input, "pushButton_Ok")->click();
            });
        });
        QTest::mouseClick(connectButton(d), Qt::LeftButton);

        QCOMPARE(watcher.seen().size(), 1);
        QCOMPARE(emitted, (QStringList{"host locked", "port 50105", "ip " + address, "serial 808", "mac 02:00:00:00:08:08"}));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished[0][0].toInt(), 1);
    }

    void connectRefused_data()
    {
        QTest::addColumn<bool>("reachable");
        QTest::newRow("password cancelled") << true;
        QTest::newRow("requirements unknown") << false;
    }
    void connectRefused()
    {
        QFETCH(bool, reachable);
        SimScenario scenario;
        scenario.password = QStringLiteral("lab_pass-1");
        SimFaults faults;
        if (!reachable)
            faults.noReply << QStringLiteral("get system protocol_version");
        const QString address = startSim(scenario, faults);
        TrackboxSelection d;
        typeHost(d, address);
        d.handle_trackboxtable_update();
        QSignalSpy changed(&d, &TrackboxSelection::trackbox_changed);
        QSignalSpy finished(&d, &QDialog::finished);
        ModalWatcher watcher;
        watcher.answer(QStringLiteral("Access Control"), ModalWatcher::Answer::reject());

        connectButton(d)->click();

        QCOMPARE(watcher.seen().size(), 1);
        if (reachable) {
            QCOMPARE(watcher.seen()[0].title, QStringLiteral("Access Control"));
        } else {
            QCOMPARE(watcher.seen()[0].title, QStringLiteral("Error"));
            QCOMPARE(watcher.seen()[0].text, QStringLiteral("Failed to obtain authentication requirements.\nNo connection to Controller?"));
        }
        QCOMPARE(changed.count(), 0);
        QCOMPARE(finished.count(), 0);
    }

    void serviceStates_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Light>("icon");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("pulsing");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QString>("errorText");
        const QString removed = QStringLiteral("QUORIX-Service was removed. Maybe someone is updating the software.");
        const QString unknown = QStringLiteral("Unknown error occured while starting or stopping QUORIX.");
        QTest::newRow("running") << 4 << 0 << "running" << Light::Green << "Stop QUORIX" << true << false << "" << "";
        QTest::newRow("stopped") << 1 << 0 << "stopped" << Light::Yellow << "Start QUORIX" << true << false << "" << "";
        QTest::newRow("stopped with error") << 1 << 3 << "stopped with error" << Light::Red << "Start QUORIX" << true << false
                                            << "Stopped with error 3" << "";
        QTest::newRow("starting") << 2 << 0 << "starting..." << Light::Yellow << "Stop QUORIX" << false << true << "" << "";
        QTest::newRow("stopping") << 3 << 0 << "stopping..." << Light::Yellow << "Start QUORIX" << false << true << "" << "";
        QTest::newRow("removed") << 512 << 0 << "not installed" << Light::Yellow << "Start QUORIX" << false << false << "" << removed;
        // The button stays as the state before left it.
        QTest::newRow("unknown") << -1 << 0 << "error" << Light::Red << "Stop QUORIX" << false << false << "" << unknown;
    }
    void serviceStates()
    {
        QFETCH(int, state);
        QFETCH(int, error);
        QFETCH(QString, text);
        QFETCH(Light, icon);
        QFETCH(QString, button);
        QFETCH(bool, enabled);
        QFETCH(bool, pulsing);
        QFETCH(QString, toolTip);
        QFETCH(QString, errorText);
        TrackboxSelection d;
        QCOMPARE(m_service->key, QByteArray("TrackboxSelection.Service.Status"));
        QVERIFY(child<QPushButton>(&d, "pushButton_StartService")->isEnabled());
        // From a pending state, so that every case shows its pulse stopping or going on.
        m_service->report(LocalServiceControl::StartPending, 0);
        QTRY_COMPARE(child<QLabel>(&d, "label_statusService")->text(), QStringLiteral("starting..."));

        m_service->report(state, error);
        QTRY_COMPARE(child<QLabel>(&d, "label_statusService")->text(), text);
        QVariantAnimation *pulse = d.findChild<QVariantAnimation *>();
        QCOMPARE(pulse->state() == QAbstractAnimation::Running, pulsing);
        if (pulsing)
            QTest::qWait(300);   // a few frames drawn
        QCOMPARE(light(d), icon);
        QCOMPARE(child<QPushButton>(&d, "pushButton_StartService")->text(), button);
        QCOMPARE(child<QPushButton>(&d, "pushButton_StartService")->isEnabled(), enabled);
        QCOMPARE(child<QLabel>(&d, "label_statusService")->toolTip(), toolTip);
        QCOMPARE(errorLabel(d), errorText);
    }

    void serviceGoneAtStart()
    {
        m_service->installed = false;
        {
            TrackboxSelection d;
            QVERIFY(m_service->key.isEmpty());
            QCOMPARE(child<QLabel>(&d, "label_statusService")->text(), QStringLiteral("not installed"));
            QCOMPARE(child<QPushButton>(&d, "pushButton_StartService")->text(), QStringLiteral("Start QUORIX"));
            QVERIFY(!child<QPushButton>(&d, "pushButton_StartService")->isEnabled());
            QCOMPARE(light(d), Light::Yellow);
        }
        m_service->installed = true;
        {
            TrackboxSelection d;
            QVERIFY(!m_service->key.isEmpty());
        }
        QVERIFY(m_service->key.isEmpty());   // unregistered with the dialog
    }

    void startStopButton()
    {
        TrackboxSelection d;
        QPushButton *b = child<QPushButton>(&d, "pushButton_StartService");
        m_service->state = LocalServiceControl::Stopped;
        b->click();
        m_service->state = LocalServiceControl::StartPending;
        b->click();
        m_service->state = LocalServiceControl::Running;
        b->click();
        QCOMPARE(m_service->starts, 1);
        QCOMPARE(m_service->stops, 1);
    }

    // Opening clears the host field and searches at once; Exit closes with 0.
    void updateAndExec()
    {
        SimScenario scenario;
        scenario.hostName = QStringLiteral("remembered");
        const QString address = startSim(scenario);
        TrackboxSelection d;
        d.setSelectionMode(TrackboxSelection::ModeHost);
        d.setFixedHostOrIp(address);
        QStringList seenRows{"not searched"};
        QTimer::singleShot(300, &d, [&] {
            seenRows = column(d, 0);
            child<QPushButton>(&d, "pushButton_exit")->click();
        });
        QCOMPARE(d.update_and_exec(), 0);
        QCOMPARE(d.fixedHostOrIp(), QString());
        // Nothing typed yet: no complaint, neither in the table nor in the label.
        QCOMPARE(seenRows, QStringList());
        QCOMPARE(errorLabel(d), QString());
    }

    void serviceRunningOpensOnThisComputer()
    {
        m_service->state = LocalServiceControl::Running;
        TrackboxSelection d;
        QTimer::singleShot(0, &d, [&] { d.reject(); });
        d.update_and_exec();
        QCOMPARE(d.selectionMode(), int(TrackboxSelection::ModeLocal));
    }

    // A slow local scan: a second request in the middle is dropped; closing
    // or destroying the dialog in the middle ends the worker.
    void requestsDuringScan()
    {
        if (!TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        SimFaults faults;
        faults.replyDelayMs = 300;
        startSim(SimScenario(), faults, QStringLiteral("0.0.0.0"));
        m_service->state = LocalServiceControl::Running;

        TrackboxSelection d;
        d.setSelectionMode(TrackboxSelection::ModeLocal);
        int nested = 0;
        QTimer::singleShot(100, &d, [&] { nested = d.handle_trackboxtable_update(); });
        QCOMPARE(d.handle_trackboxtable_update(), 1);
        QCOMPARE(nested, -1);

        m_sim->clearCommandLog();
        QTimer::singleShot(100, &d, [&] { d.reject(); });
        QCOMPARE(d.update_and_exec(), 0);
        QVERIFY(m_sim->waitForCommand(QStringLiteral("quorix2 get system version")));
        QTest::qWait(400);
        for (const auto &e : m_sim->commandLog())
            QVERIFY2(!e.text.contains(QLatin1String("hostname")), "details asked after the dialog closed");

        auto *doomed = new TrackboxSelection;
        doomed->setSelectionMode(TrackboxSelection::ModeLocal);
        QTimer::singleShot(100, [doomed] { delete doomed; });
        QCOMPARE(doomed->handle_trackboxtable_update(), -1);
    }
};

QUORIX_NETNS_TEST_MAIN(TestTrackboxSelection)
#include "tst_trackboxselection.moc"
