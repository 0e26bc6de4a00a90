#include "ControllerSimulator.h"
#include "IpDialog.h"
#include "ModalWatcher.h"
#include "TestHome.h"
#include "TrackboxSelection.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

constexpr quint16 Port = 50105;

// Commands the simulator received over UDP, in order.
QStringList udpCommands(const ControllerSimulator &sim)
{
    QStringList out;
    const auto entries = sim.commandLog();
    for (const auto &e : entries)
        if (e.transport == QLatin1String("udp"))
            out << e.text;
    return out;
}

bool selectionOpened(const ModalWatcher &watcher)
{
    for (const ModalWatcher::Seen &seen : watcher.seen())
        if (seen.title == QLatin1String("Tracking-System Selection"))
            return true;
    return false;
}

QPushButton *connectButton(IpDialog &dialog)
{
    return dialog.findChild<QPushButton *>(QStringLiteral("pushButton_connect"));
}

} // namespace

class TestIpDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<ControllerSimulator> m_sim;
    int m_next = 1;
    QString m_address;

    // Every case talks to a Controller at an address of its own, so a late
    // datagram of one case never answers the next.
    QString freshAddress() { return QStringLiteral("127.0.6.%1").arg(m_next++); }

    ControllerSimulator &startSim(const SimScenario &scenario = SimScenario(), const SimFaults &faults = SimFaults())
    {
        m_address = freshAddress();
        m_sim = std::make_unique<ControllerSimulator>(scenario);
        m_sim->setFaults(faults);
        QString error;
        if (!m_sim->start(m_address, Port, &error))
            qFatal("simulator did not start at %s: %s", qPrintable(m_address), qPrintable(error));
        return *m_sim;
    }

    std::unique_ptr<IpDialog> makeDialog(const QByteArray &startPassword = QByteArray())
    {
        auto dialog = std::make_unique<IpDialog>(nullptr, Qt::FramelessWindowHint, startPassword);
        dialog->setTrackboxAddress(m_address);
        dialog->setTrackbox(QStringLiteral("quorixsim"));
        return dialog;
    }

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup()
    {
        m_sim.reset();
        m_home.reset();
    }

    void tryConnect_readyController()
    {
        ControllerSimulator &sim = startSim();
        auto dialog = makeDialog();
        QVERIFY(!connectButton(*dialog)->isEnabled());

        QCOMPARE(dialog->try_connect(), 0);

        const QString text = dialog->progressText();
        QVERIFY2(text.contains(QStringLiteral("testing '%1'... OK").arg(m_address)), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Controller: 'quorixsim'")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Serial 10234 Version v3.4.2")), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("no connection")));
        QVERIFY(connectButton(*dialog)->isEnabled());
        QCOMPARE(dialog->trackboxAddress(), m_address);
        QCOMPARE(dialog->trackboxPort(), Port);

        // Each query is a zero-terminated "get" to the command port.
        const QStringList commands = udpCommands(sim);
        QVERIFY(commands.contains(QStringLiteral("quorix2 get system hostname")));
        QVERIFY(commands.contains(QStringLiteral("quorix2 get system version")));
        QVERIFY(commands.contains(QStringLiteral("quorix2 get system access")));
        QVERIFY(commands.contains(QStringLiteral("quorix2 get system controller_serial")));
        for (const QString &c : commands)
            QVERIFY2(!c.contains(QStringLiteral("\\x")), qPrintable(c));
    }

    // Expected host name given as the dotted address of a Controller that
    // calls itself otherwise: the address test drops it silently, the name
    // fallback reaches the same Controller and reports the change.
    void tryConnect_controllerHasChanged()
    {
        startSim();
        auto dialog = makeDialog();
        dialog->setTrackbox(m_address);
        ModalWatcher watcher;
        watcher.answer(QStringLiteral("Tracking-System Selection"), ModalWatcher::Answer::reject());

        QCOMPARE(dialog->try_connect(), 1);
        QVERIFY(selectionOpened(watcher));

        const QString text = dialog->progressText();
        QVERIFY2(text.contains(QStringLiteral("testing '%1'... \nresolving '%1'... OK\nresolved '%1', testing... ")
                                   .arg(m_address)),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Controller has changed")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("expected: '%1'").arg(m_address)), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("found: 'quorixsim'")), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("Controller: '")));
        QVERIFY(!connectButton(*dialog)->isEnabled());
    }

    // Another Controller answers at the remembered address and the remembered
    // name leads nowhere: that is a changed Controller, named with both
    // identities, not a cabling fault.
    void tryConnect_otherControllerAtTheAddress()
    {
        startSim();
        auto dialog = makeDialog();
        dialog->setTrackbox(QStringLiteral("ctl-old.invalid"));
        dialog->setTrackboxSerial(QStringLiteral("111"));
        ModalWatcher watcher;
        watcher.answer(QStringLiteral("Tracking-System Selection"), ModalWatcher::Answer::reject());

        QCOMPARE(dialog->try_connect(), 1);
        const QString text = dialog->progressText();
        QVERIFY2(text.contains(QStringLiteral("Controller has changed")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("expected: 'ctl-old.invalid (serial 111)'")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("found at %1: 'quorixsim (serial 10234)'").arg(m_address)), qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("cabled")), qPrintable(text));
        QVERIFY(!connectButton(*dialog)->isEnabled());
    }

    // The selection dialog opens unless a MAC is known (wake on LAN may
    // help) or the Controller is the compact unit of model 21.
    void tryConnect_noController_data()
    {
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("selection");
        QTest::newRow("nothing known") << QString() << QString() << true;
        QTest::newRow("MAC known") << QStringLiteral("00:1B:3F:00:27:9A") << QString() << false;
        QTest::newRow("model 21") << QString() << QStringLiteral("21") << false;
    }
    void tryConnect_noController()
    {
        QFETCH(QString, mac);
        QFETCH(QString, model);
        QFETCH(bool, selection);
        m_address = freshAddress(); // nobody listens here
        auto dialog = makeDialog();
        dialog->setTrackbox(m_address); // resolves to the failed address again: no name look-up
        dialog->setTrackboxMac(mac);
        dialog->setTrackboxModel(model);
        ModalWatcher watcher;
        watcher.answer(QStringLiteral("Tracking-System Selection"), ModalWatcher::Answer::reject());

        QCOMPARE(dialog->try_connect(), 1);
        QCOMPARE(selectionOpened(watcher), selection);

        const QString text = dialog->progressText();
        QVERIFY2(text.contains(QStringLiteral("testing '%1'... unsuccessful").arg(m_address)), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("no connection to\nController '%1'").arg(m_address)), qPrintable(text));
        // What to check, and a way to check again.
        QVERIFY2(text.contains(QStringLiteral("switched on and cabled, and that no firewall blocks TCP and UDP port 50105")),
                 qPrintable(text));
        QVERIFY(!connectButton(*dialog)->isEnabled());
        QCOMPARE(dialog->trackboxAddress(), m_address);
        QPushButton *retry = dialog->findChild<QPushButton *>(QStringLiteral("pushButton_retry"));
        QVERIFY(retry && !retry->isHidden());

        // Now it answers: Try again connects without reopening anything.
        ControllerSimulator sim;
        QVERIFY(sim.start(m_address, Port));
        dialog->setTrackbox(QStringLiteral("quorixsim"));
        retry->click();
        QVERIFY2(dialog->progressText().contains(QStringLiteral("Controller: 'quorixsim'")),
                 qPrintable(dialog->progressText()));
        QVERIFY(connectButton(*dialog)->isEnabled());
        QVERIFY(retry->isHidden());
    }

    // Who holds the Controller is told only from protocol 1.1 on.
    void tryConnect_accessNone_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<bool>("toldWho");
        QTest::newRow("v1.1") << "v1.1" << true;
        QTest::newRow("v1.0") << "v1.0" << false;
        QTest::newRow("v1.30-beta") << "v1.30-beta" << true;
        QTest::newRow("v1.30rc2") << "v1.30rc2" << true;
        QTest::newRow("v1.0rc7") << "v1.0rc7" << false;
    }
    void tryConnect_accessNone()
    {
        QFETCH(QString, protocol);
        QFETCH(bool, toldWho);
        SimScenario scenario;
        scenario.fullAccess = false;
        scenario.protocolVersion = protocol;
        startSim(scenario);
        auto dialog = makeDialog();

        QCOMPARE(dialog->try_connect(), 1);

        const QString text = dialog->progressText();
        QVERIFY2(text.contains(QStringLiteral("no connection to\nController 'quorixsim'")), qPrintable(text));
        QCOMPARE(text.contains(QStringLiteral("accessed by 127.0.0.99")), toldWho);
        QVERIFY(!connectButton(*dialog)->isEnabled());
    }

    // Texts from the Controller are shown as they are, never as markup: its
    // name on the label and in the progress text, who holds it, and the box.
    void controllerTextsAreShownLiterally()
    {
        SimScenario scenario;
        scenario.hostName = QStringLiteral("<b>x</b>");
        startSim(scenario);
        auto dialog = makeDialog();
        dialog->setTrackbox(QStringLiteral("<b>x</b>"));
        QCOMPARE(dialog->try_connect(), 0);
        QVERIFY2(dialog->progressText().contains(QStringLiteral("Controller: '<b>x</b>'")), qPrintable(dialog->progressText()));
        auto *label = dialog->findChild<QLabel *>(QStringLiteral("label_trackbox"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("<b>x</b>"));
        QCOMPARE(label->textFormat(), Qt::PlainText);

        SimScenario held;
        held.hostName = QStringLiteral("<b>x</b>");
        held.fullAccess = false;
        held.accessedBy = QStringLiteral("ip <i>10.0.0.7</i>");
        startSim(held);
        dialog = makeDialog();
        dialog->setTrackbox(QStringLiteral("<b>x</b>"));
        QCOMPARE(dialog->try_connect(), 1);
        QVERIFY2(dialog->progressText().contains(QStringLiteral("accessed by <i>10.0.0.7</i>")),
                 qPrintable(dialog->progressText()));

        ModalWatcher watcher;
        QCOMPARE(dialog->try_connect_2(), 2);   // held: not one to wake
        QCOMPARE(watcher.seen().size(), 1);
        QCOMPARE(watcher.seen()[0].text,
                 QStringLiteral("Unable to connect Controller <b>x</b>\nController is accessed by <i>10.0.0.7</i>\n\n")
                     + TrackboxSelection::heldAdvice("<i>10.0.0.7</i>"));
        QVERIFY(watcher.seen()[0].plainText);
    }

    // A first start remembers nothing: the dialog says so and opens the
    // selection, without pretending to resolve an empty name.
    void tryConnect_nothingRemembered()
    {
        IpDialog dialog(nullptr, Qt::FramelessWindowHint, QByteArray());
        ModalWatcher watcher;
        watcher.answer(QStringLiteral("Tracking-System Selection"), ModalWatcher::Answer::reject());
        QCOMPARE(dialog.try_connect(), 1);
        const QString text = dialog.progressText();
        QVERIFY2(!text.contains(QStringLiteral("resolving")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("no default Controller found")), qPrintable(text));
        // Nothing named: no empty quotes, but what to do.
        QVERIFY2(!text.contains(QStringLiteral("''")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("No Controller chosen yet: choose one with Other Controller.")),
                 qPrintable(text));
        QVERIFY(selectionOpened(watcher));
    }

    // F5 is the Connect button's key: with nothing found there is nothing to
    // connect to, and no password query goes to address 0.
    void f5WithNothingFoundDoesNothing()
    {
        IpDialog dialog(nullptr, Qt::FramelessWindowHint, QByteArray());
        ModalWatcher watcher;
        watcher.answer(QStringLiteral("Tracking-System Selection"), ModalWatcher::Answer::reject());
        QCOMPARE(dialog.try_connect(), 1);
        QCOMPARE(dialog.trackboxIp(), 0u);
        watcher.clear();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.setResult(QDialog::Rejected);
        QTest::keyClick(&dialog, Qt::Key_F5);
        dialog.accept();   // the Connect button's slot, called without a Controller
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(dialog.isVisible());
        QVERIFY2(watcher.seen().isEmpty(), qPrintable(watcher.seen().value(0).title + ": " + watcher.seen().value(0).text));
    }

    // The chosen Controller arrives queued, in the selection dialog's order;
    // its address starts the check, and a working Controller closes the
    // connect dialog accepted, naming what answered.
    void selectionHandsOverTheChosenController()
    {
        startSim();
        auto dialog = makeDialog();
        dialog->setTrackbox(QStringLiteral("somewhere-else"));
        dialog->setTrackboxAddress(QStringLiteral("127.0.6.250"));
        TrackboxSelection *selection = dialog->selectionDialog();
        QVERIFY(selection);
        const unsigned ip = (127u << 24) | (0u << 16) | (6u << 8) | unsigned(m_address.section('.', 3).toInt());
        emit selection->trackbox_changed(QStringLiteral("quorixsim"));
        emit selection->trackbox_changed_port(Port);
        emit selection->trackbox_changed_ip(ip);
        emit selection->trackbox_changed_serial(QStringLiteral("10234"));
        emit selection->trackbox_changed_mac(QStringLiteral("00:1B:3F:00:27:9A"));
        QCOMPARE(dialog->trackboxIp(), 0u);   // nothing yet: the signals are queued
        QTRY_COMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(dialog->trackboxAddress(), m_address);
        QCOMPARE(dialog->trackbox(), QStringLiteral("quorixsim"));
        QCOMPARE(dialog->trackboxMac(), QStringLiteral("00:1B:3F:00:27:9A"));
    }

    void tryConnect2_fullAccessTakesHostName()
    {
        SimScenario scenario;
        scenario.hostName = QStringLiteral("lab-controller");
        startSim(scenario);
        auto dialog = makeDialog();
        dialog->setTrackbox(QStringLiteral("remembered-name"));

        QCOMPARE(dialog->try_connect_2(), 0);
        QCOMPARE(dialog->trackbox(), QStringLiteral("lab-controller"));
        QCOMPARE(dialog->trackboxAddress(), m_address);
        QVERIFY(dialog->progressText().trimmed().isEmpty());
    }

    void tryConnect2_accessNoneTellsWho()
    {
        SimScenario scenario;
        scenario.fullAccess = false;
        startSim(scenario);
        auto dialog = makeDialog();
        ModalWatcher watcher;

        // 2, not 1: 1 would have the caller wake a Controller that runs.
        QSignalSpy held(dialog.get(), &IpDialog::sig_connect_held);
        QCOMPARE(dialog->try_connect_2(), 2);
        QVERIFY(dialog->heldShown());
        QCOMPARE(held.count(), 1);

        QCOMPARE(watcher.seen().size(), 1);
        QCOMPARE(watcher.seen()[0].title, QStringLiteral("Error"));
        QCOMPARE(watcher.seen()[0].text,
                 QStringLiteral("Unable to connect Controller quorixsim\nController is accessed by 127.0.0.99\n\n")
                     + TrackboxSelection::heldAdvice("127.0.0.99"));
    }

    void tryConnect2_noController_data()
    {
        QTest::addColumn<QString>("mac");
        QTest::addColumn<int>("result");
        QTest::newRow("MAC unknown") << QString() << -4;
        QTest::newRow("MAC known") << "00:1B:3F:00:27:9A" << 1;
    }
    void tryConnect2_noController()
    {
        QFETCH(QString, mac);
        QFETCH(int, result);
        m_address = freshAddress();
        auto dialog = makeDialog();
        dialog->setTrackboxMac(mac);
        ModalWatcher watcher;

        QCOMPARE(dialog->try_connect_2(), result);
        QVERIFY(watcher.seen().isEmpty());
    }

    // The host-name reply padded to a given datagram size (text + zero byte).
    void tryConnect2_replySizeLimit_data()
    {
        QTest::addColumn<int>("datagram");
        QTest::addColumn<int>("result");
        QTest::newRow("299 bytes is a reply") << 299 << 0;
        QTest::newRow("300 bytes is none") << 300 << -4;
        QTest::newRow("400 bytes is none") << 400 << -4;
    }
    void tryConnect2_replySizeLimit()
    {
        QFETCH(int, datagram);
        QFETCH(int, result);
        SimFaults faults;
        faults.longReplies << QStringLiteral("get system hostname");
        faults.longReplyLength = datagram - 1;
        startSim(SimScenario(), faults);
        auto dialog = makeDialog();

        QCOMPARE(dialog->try_connect_2(), result);
        if (result == 0) {
            const QString name = dialog->trackbox();
            QCOMPARE(name.size(), datagram - 1 - int(qstrlen("quorix2 set system hostname ")));
            QVERIFY(name.startsWith(QStringLiteral("quorixsimxxx")));
        }
    }

    void accept_noPassword()
    {
        startSim();
        auto dialog = makeDialog();
        QCOMPARE(dialog->try_connect_2(), 0);
        dialog->show();
        ModalWatcher watcher;

        dialog->accept();

        QCOMPARE(dialog->result(), 1);
        QVERIFY(!dialog->isVisible());
        QVERIFY(watcher.seen().isEmpty());
    }

    void accept_startPasswordCorrect()
    {
        SimScenario scenario;
        scenario.password = QStringLiteral("lab_pass-1");
        startSim(scenario);
        auto dialog = makeDialog("lab_pass-1");
        QCOMPARE(dialog->try_connect_2(), 0);
        dialog->show();
        ModalWatcher watcher;

        dialog->accept();

        QCOMPARE(dialog->result(), 1);
        QVERIFY(!dialog->isVisible());
        QVERIFY(watcher.seen().isEmpty());
    }

    // Without a working start password the user is asked; cancelling keeps
    // the connect dialog open.
    void accept_asksForPassword_data()
    {
        QTest::addColumn<QByteArray>("startPassword");
        QTest::newRow("none") << QByteArray();
        QTest::newRow("wrong") << QByteArray("not_it");
    }
    void accept_asksForPassword()
    {
        QFETCH(QByteArray, startPassword);
        SimScenario scenario;
        scenario.password = QStringLiteral("lab_pass-1");
        startSim(scenario);
        auto dialog = makeDialog(startPassword);
        QCOMPARE(dialog->try_connect_2(), 0);
        dialog->show();
        QSignalSpy finished(dialog.get(), &QDialog::finished);
        ModalWatcher watcher;
        watcher.answer(QStringLiteral("Access Control"), ModalWatcher::Answer::reject());

        dialog->accept();

        QCOMPARE(watcher.seen().size(), 1);
        QCOMPARE(watcher.seen()[0].title, QStringLiteral("Access Control"));
        QCOMPARE(watcher.seen()[0].answer, QStringLiteral("reject"));
        QVERIFY(dialog->isVisible());
        QCOMPARE(finished.count(), 0);
    }

    void keys()
    {
        m_address = freshAddress();
        auto dialog = makeDialog();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        const QPoint start = dialog->pos();

        QTest::keyClick(dialog.get(), Qt::Key_2);
        QCOMPARE(dialog->pos(), start + QPoint(0, 10));
        QTest::keyClick(dialog.get(), Qt::Key_6);
        QCOMPARE(dialog->pos(), start + QPoint(10, 10));
        QTest::keyClick(dialog.get(), Qt::Key_8);
        QCOMPARE(dialog->pos(), start + QPoint(10, 0));
        QTest::keyClick(dialog.get(), Qt::Key_4);
        QCOMPARE(dialog->pos(), start);
        QTest::keyClick(dialog.get(), Qt::Key_A);
        QCOMPARE(dialog->pos(), start);
        QVERIFY(dialog->isVisible());

        QSignalSpy finished(dialog.get(), &QDialog::finished);
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished[0][0].toInt(), 0);
        QVERIFY(!dialog->isVisible());
    }
};

QTEST_MAIN(TestIpDialog)
#include "tst_ipdialog.moc"
