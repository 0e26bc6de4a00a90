// The main window in process against the Controller simulator: menus by model
// and protocol, Start/Stop, following a measurement started elsewhere, the
// connection-lost box and the window's context menu.
#include "AppStatusBar.h"
#include "ControllerSimulator.h"
#include "EventDisplay.h"
#include "CamStatusBar.h"
#include "CamStatusWidget.h"
#include "FreqStatusBar.h"
#include "IOManagerUdpTcp.h"
#include "MainWindow.h"
#include "MeasurementControl.h"
#include "StartupController.h"
#include "ModalWatcher.h"
#include "Preferences.h"
#include "ShortStatusWidget.h"
#include "StatusPoller.h"
#include "TestHome.h"
#include "TextBrowser.h"
#include "TrackingStatusBar.h"
#include "WaitPastDue.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QStatusBar>
#include <QtTest>

#include <memory>

namespace {

const quint16 Port = 50105;

QStringList actionTexts(const QMenu *menu)
{
    QStringList texts;
    for (QAction *a : menu->actions())
        if (!a->isSeparator())
            texts << a->text();
    return texts;
}

QStringList menuBarTitles(MainWindow &w)
{
    QStringList titles;
    for (QAction *a : w.menuBar()->actions())
        titles << a->text();
    return titles;
}

// One Controller on its own loopback address and one window connected to it.
struct Session
{
    TestHome home;
    ControllerSimulator sim;
    ModalWatcher watcher;
    std::unique_ptr<MainWindow> window;
    QString address;

    bool open(int n, const SimScenario &scenario = SimScenario())
    {
        address = QString("127.0.8.%1").arg(n);
        sim.setScenario(scenario);
        QString error;
        if (!sim.start(address, Port, &error)) {
            qWarning() << error;
            return false;
        }
        window = StartupController("-host " + address).openWindow();
        if (!window)
            return false;
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }
    ~Session()
    {
        window.reset();
        sim.stop();
    }
    QStringList eventTexts() const
    {
        return window->eventDisplay()->view()->toPlainText().split('\n', Qt::SkipEmptyParts);
    }
    bool eventShown(const QString &text) const
    {
        for (const QString &line : eventTexts())
            if (line.endsWith(text))
                return true;
        return false;
    }
    int tcpCount(const QString &command) const
    {
        int n = 0;
        for (const auto &e : sim.commandLog())
            if (e.transport == "tcp" && e.text == command)
                ++n;
        return n;
    }
};

bool allEnabled(const QList<QAction *> &actions, bool enabled)
{
    for (QAction *a : actions)
        if (a->isEnabled() != enabled)
            return false;
    return true;
}

// What the connection-lost box showed: its buttons and whether Reconnect came alive.
struct LostBox
{
    bool seen = false;
    QString title;
    QStringList buttons;
    QString reconnectFirst;
    bool reconnectEnabledAtFirst = true;
    bool reconnectBecameEnabled = false;
    QString reconnectLast;
};

// The connection-lost box while it is open; every other box is answered on the way.
QMessageBox *connectionLostBox()
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(top);
        if (!box || !box->isVisible())
            continue;
        if (box->text().startsWith("Connection to Controller lost."))
            return box;
        box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
    }
    return nullptr;
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void menusFollowModel_data();
    void menusFollowModel();
    void protocolGates_data();
    void protocolGates();
    void startAndStop();
    void heldStartKeyIsOnePress();
    void modulesHearWhatThePollRead();
    void userFolderClosedAtStart();
    void startRefusedWhenTrackingUnavailable();
    void refusedStartAndStop();
    void measurementStartedElsewhereFollowed();
    void waitingForSynchronisationIsToldOncePerWait();
    void singleFailedPollDoesNothing();
    void slowOrRefusingControllerIsToldWithoutBoxes();
    void twoFailedPollsOpenConnectionLostBox_data();
    void twoFailedPollsOpenConnectionLostBox();
    void controllerGoneWhileMeasuringIsRecorded();
    void eventDockAndContextMenu();
    void closingWhileMeasuring_data();
    void closingWhileMeasuring();
    void quitQuestionHasNoDefault();
    void themeSwitchesAtOnceAndIsKept();
    void quitQuestionCanBeCancelled_data();
    void quitQuestionCanBeCancelled();
    void quitKeepsTheAddressConnected();
};

void tst_MainWindow::menusFollowModel_data()
{
    QTest::addColumn<int>("modelCode");
    QTest::addColumn<QStringList>("quorixMenu");
    QTest::addColumn<bool>("searchHardware");
    QTest::newRow("QUORIX_PC") << 100
                               << QStringList{"&Password", "&Start", "Save &recording…", "Export targets as &CSV…", "&Quit"}
                               << true;
    QTest::newRow("KESTRALINE") << 20 << QStringList{"&Password", "&Start", "C&ontroller standby", "Save &recording…",
                                                     "Export targets as &CSV…", "&Quit"} << false;
    QTest::newRow("KESTRALINE3") << 21
                                 << QStringList{"&Password", "&Start", "C&ontroller shut down", "Controller &reboot",
                                                "Save &recording…", "Export targets as &CSV…", "&Quit"}
                                 << true;
    QTest::newRow("controller box") << 0
                                    << QStringList{"&Password", "&Start", "C&ontroller standby", "Controller &reboot",
                                                   "Save &recording…", "Export targets as &CSV…", "&Quit"}
                                    << true;
}

void tst_MainWindow::menusFollowModel()
{
    QFETCH(int, modelCode);
    QFETCH(QStringList, quorixMenu);
    QFETCH(bool, searchHardware);
    static int address = 10;
    SimScenario scenario;
    scenario.modelCode = modelCode;
    Session s;
    QVERIFY(s.open(address++, scenario));
    MainWindow &w = *s.window;
    QCOMPARE(actionTexts(w.menuByTitle("&QUORIX4")), quorixMenu);
    QCOMPARE(actionTexts(w.menuByTitle("H&ardware")).contains("Search &hardware"), searchHardware);
    // Only menus with actions of their own reach the bar, in key order.
    const QStringList bar = searchHardware ? QStringList{"&QUORIX4", "H&ardware", "&View", "&Help"}
                                           : QStringList{"&QUORIX4", "&View", "&Help"};
    QCOMPARE(menuBarTitles(w), bar);
    QCOMPARE(actionTexts(w.menuByTitle("&View")), (QStringList{"&Set to default", "&Dark theme", "&Events"}));
    QCOMPARE(w.startStopAction()->shortcut(), QKeySequence(Qt::Key_M));
}

void tst_MainWindow::protocolGates_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<bool>("password");
    QTest::addColumn<bool>("searchHardware");
    QTest::newRow("1.10.9") << "v1.10.9" << false << false;
    QTest::newRow("1.11 without patch") << "v1.11" << false << true;
    QTest::newRow("1.23.5") << "v1.23.5" << false << true;
    QTest::newRow("1.24 without patch") << "v1.24" << true << true;
}

void tst_MainWindow::protocolGates()
{
    QFETCH(QString, protocol);
    QFETCH(bool, password);
    QFETCH(bool, searchHardware);
    static int address = 20;
    SimScenario scenario;
    scenario.protocolVersion = protocol;
    Session s;
    QVERIFY(s.open(address++, scenario));
    MainWindow &w = *s.window;
    QCOMPARE(actionTexts(w.menuByTitle("&QUORIX4")).contains("&Password"), password);
    QCOMPARE(actionTexts(w.menuByTitle("H&ardware")).contains("Search &hardware"), searchHardware);
    QStringList inactive;
    for (QAction *a : w.measurementInactiveActions())
        inactive << a->text();
    QCOMPARE(inactive.contains("&Password"), password);
    QCOMPARE(inactive.contains("Search &hardware"), searchHardware);
    QVERIFY(inactive.contains("&Service and Guides"));
}

void tst_MainWindow::startAndStop()
{
    Session s;
    QVERIFY(s.open(40));
    MainWindow &w = *s.window;
    QCOMPARE(w.startStopAction()->text(), QString("&Start"));
    QVERIFY(allEnabled(w.measurementInactiveActions(), true));

    w.startStopAction()->trigger();
    QCOMPARE(s.sim.activeState(), QString("mea"));
    QCOMPARE(w.startStopAction()->text(), QString("Stop"));
    QCOMPARE(w.measurement()->state(), MeasurementControl::State::Measuring);
    QCOMPARE(w.appStatusBar()->messageText(), QString("measurement started"));
    QVERIFY(s.eventShown(": (QUORIX4) measurement started"));
    QVERIFY(allEnabled(w.measurementInactiveActions(), false));
    QVERIFY(w.freqStatusBar()->isTimerActive());
    // The status poll keeps the view: no flip back while measuring, after a
    // whole poll round (the second round's question comes after the first's reply).
    s.sim.clearCommandLog();
    QTRY_VERIFY_WITH_TIMEOUT(s.tcpCount("quorix2 get status active") >= 2, 20000);
    QCOMPARE(w.startStopAction()->text(), QString("Stop"));

    w.startStopAction()->trigger();
    QCOMPARE(s.sim.activeState(), QString("none"));
    QCOMPARE(w.startStopAction()->text(), QString("Start"));
    QCOMPARE(w.measurement()->state(), MeasurementControl::State::Idle);
    QCOMPARE(w.appStatusBar()->messageText(), QString("measurement stopped"));
    QVERIFY(s.eventShown(": (QUORIX4) measurement stopped"));
    QVERIFY(allEnabled(w.measurementInactiveActions(), true));
    QVERIFY(!w.freqStatusBar()->isTimerActive());
    for (const ModalWatcher::Seen &seen : s.watcher.seen())
        QVERIFY2(!seen.title.startsWith("Command"), qPrintable(seen.title + ": " + seen.text));
}

// The key's auto-repeat while M is held reaches no further start or stop.
void tst_MainWindow::heldStartKeyIsOnePress()
{
    Session s;
    QVERIFY(s.open(41));
    MainWindow &w = *s.window;
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::simulateEvent(&w, true, Qt::Key_M, Qt::NoModifier, QStringLiteral("m"), false);
    for (int repeat = 0; repeat < 6; ++repeat)
        QTest::simulateEvent(&w, true, Qt::Key_M, Qt::NoModifier, QStringLiteral("m"), true);
    QTest::simulateEvent(&w, false, Qt::Key_M, Qt::NoModifier, QStringLiteral("m"), false);
    QCOMPARE(s.sim.activeState(), QString("mea"));
    QCOMPARE(s.tcpCount("quorix2 tracking start"), 1);
    QCOMPARE(s.tcpCount("quorix2 tracking stop"), 0);
}

// A module that records the system's state hears every poll round and every
// event on its channel, and the poll asks nothing more for it.
void tst_MainWindow::modulesHearWhatThePollRead()
{
    struct Listener : MessageReceiver {
        QList<QPair<int, QByteArray>> heard;
        int receive(int type, const char *sender, const char *text) override
        {
            if (QByteArray(sender) == "Quorix2")
                heard.append({type, QByteArray(text)});
            return 0;
        }
        QList<QByteArray> of(int type) const
        {
            QList<QByteArray> texts;
            for (const auto &h : heard)
                if (h.first == type)
                    texts << h.second;
            return texts;
        }
    } listener;
    Session s;
    SimScenario scenario;
    scenario.cameras = 3;
    QVERIFY(s.open(41, scenario));
    MainWindow &w = *s.window;
    w.commandChannel()->addMessageReceiver("TrackingHealthModule", &listener);

    QTRY_VERIFY_WITH_TIMEOUT(!listener.of(1).isEmpty(), 20000);
    QCOMPARE(listener.of(1).last(), QByteArray("active=none;frequency=-;bodies=-;markers=-;frames_lost=0;frames_dropped=0"));

    w.startStopAction()->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(listener.of(1).last().startsWith("active=mea;frequency=60.00;"), 3000);
    const QByteArray measuring = listener.of(1).last();
    QVERIFY2(measuring.contains(";bodies=") && !measuring.contains(";bodies=-"), measuring.constData());
    QCOMPARE(measuring.mid(measuring.indexOf(";rays=")).count(','), 2);   // three cameras
    QVERIFY(listener.of(2).contains("(QUORIX4) measurement started"));

    // Asked once per round for the bars, never again for the listener.
    s.sim.clearCommandLog();
    const int roundsBefore = listener.of(1).size();
    QTRY_VERIFY_WITH_TIMEOUT(listener.of(1).size() - roundsBefore >= 2, 20000);
    const int rounds = listener.of(1).size() - roundsBefore;
    QVERIFY(s.tcpCount("quorix2 get status number_of_bodies") <= rounds);

    w.startStopAction()->trigger();
    QTRY_VERIFY(listener.of(2).contains("(QUORIX4) measurement stopped"));
    w.commandChannel()->removeMessageReceiver("TrackingHealthModule", &listener);
}

void tst_MainWindow::userFolderClosedAtStart()
{
    const auto mode = [](const QString &path) { return int(QFileInfo(path).permissions() & 0x0777); };
    Session s;
    // As an earlier version left it: readable by everyone.
    const QString root = s.home.path() + "/.ZEL/QUORIX4";
    QVERIFY(QDir().mkpath(root));
    QFile old(root + "/commands_log.txt");
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.close();
    QFile::setPermissions(old.fileName(), QFileDevice::Permissions(0x6644));
    QFile::setPermissions(root, QFileDevice::Permissions(0x7755));
    QVERIFY(s.open(45));
    QCOMPARE(mode(root), 0x0700);
    QCOMPARE(mode(old.fileName()), 0x0600);
    QCOMPARE(mode(root + "/v4.0.1/config/current-preferences.xml"), 0x0600);   // written once connected
}

void tst_MainWindow::startRefusedWhenTrackingUnavailable()
{
    SimScenario scenario;
    scenario.trackingAvailable = false;
    Session s;
    QVERIFY(s.open(41, scenario));
    MainWindow &w = *s.window;
    w.startStopAction()->trigger();
    QCOMPARE(s.tcpCount("quorix2 tracking start"), 0);
    QCOMPARE(w.startStopAction()->text(), QString("&Start"));
    QCOMPARE(w.appStatusBar()->messageText(), QString("measurement start unsuccessful!"));
    QVERIFY(s.eventShown(": (QUORIX4) measurement start unsuccessful!"));
    QVERIFY(allEnabled(w.measurementInactiveActions(), true));
}

void tst_MainWindow::refusedStartAndStop()
{
    SimScenario scenario;
    scenario.startRefusal = "no camera calibrated";
    Session s;
    QVERIFY(s.open(44, scenario));
    MainWindow &w = *s.window;
    w.startStopAction()->trigger();
    QCOMPARE(s.tcpCount("quorix2 tracking start"), 1);
    QCOMPARE(w.startStopAction()->text(), QString("&Start"));
    QCOMPARE(w.appStatusBar()->messageText(), QString("measurement start unsuccessful!"));
    // Only a refusal by "tracking available" goes to the event display.
    QVERIFY(!s.eventShown("measurement start unsuccessful!"));
    QTRY_VERIFY(!s.watcher.seen().isEmpty() && s.watcher.seen().last().title == "Command Failed");
    QVERIFY(allEnabled(w.measurementInactiveActions(), true));

    // A stop the Controller does not acknowledge leaves the window measuring.
    s.sim.setScenario(SimScenario());
    w.startStopAction()->trigger();
    QCOMPARE(w.startStopAction()->text(), QString("Stop"));
    SimFaults faults;
    faults.errorReplies << "tracking stop";
    s.sim.setFaults(faults);
    s.watcher.clear();
    w.startStopAction()->trigger();
    QCOMPARE(w.startStopAction()->text(), QString("Stop"));
    QCOMPARE(w.appStatusBar()->messageText(), QString("measurement stop unsuccessful"));
    QVERIFY(!s.eventShown("measurement stopped"));
    QVERIFY(allEnabled(w.measurementInactiveActions(), false));
    QTRY_VERIFY(!s.watcher.seen().isEmpty());
    s.sim.setFaults(SimFaults());
}

void tst_MainWindow::measurementStartedElsewhereFollowed()
{
    Session s;
    QVERIFY(s.open(42));
    MainWindow &w = *s.window;
    IOManagerUdpTcp other(nullptr);
    unsigned short dataPort = 0;
    QVERIFY(other.connectController(qPrintable(s.address), Port, &dataPort) >= 0);
    char reply[IOManager::BufferSize];
    QCOMPARE(other.sendCommand(reply, "quorix2 tracking start"), 0);
    QCOMPARE(QString(reply), QString("quorix2 ok"));
    QTRY_COMPARE_WITH_TIMEOUT(w.startStopAction()->text(), QString("Stop"), 3000);
    QVERIFY(allEnabled(w.measurementInactiveActions(), false));

    QCOMPARE(other.sendCommand(reply, "quorix2 tracking stop"), 0);
    QTRY_COMPARE_WITH_TIMEOUT(w.startStopAction()->text(), QString("Start"), 3000);
    QVERIFY(allEnabled(w.measurementInactiveActions(), true));
}

// The notice goes to the event display once per waiting period, however many
// rounds read "wait"; the action offers Stop meanwhile.
void tst_MainWindow::waitingForSynchronisationIsToldOncePerWait()
{
    SimScenario waiting;
    waiting.activeState = "wait";
    Session s;
    QVERIFY(s.open(47, waiting));
    MainWindow &w = *s.window;
    const auto notices = [&s] {
        int n = 0;
        for (const QString &line : s.eventTexts())
            n += line.endsWith("(QUORIX4) measurement interrupted. Waiting for external synchronisation signal...");
        return n;
    };
    const auto rounds = [&s](int n) {
        s.sim.clearCommandLog();
        return QTest::qWaitFor([&] { return s.tcpCount("quorix2 get status active") >= n; }, 10000);
    };
    QTRY_COMPARE_WITH_TIMEOUT(w.measurement()->state(), MeasurementControl::State::Waiting, 5000);
    QCOMPARE(w.startStopAction()->text(), QString("Stop"));
    QVERIFY(rounds(5));
    QCOMPARE(notices(), 1);

    s.sim.setScenario(SimScenario());
    QTRY_COMPARE_WITH_TIMEOUT(w.measurement()->state(), MeasurementControl::State::Idle, 5000);
    QCOMPARE(w.startStopAction()->text(), QString("Start"));
    s.sim.setScenario(waiting);
    QTRY_COMPARE_WITH_TIMEOUT(w.measurement()->state(), MeasurementControl::State::Waiting, 5000);
    QVERIFY(rounds(5));
    QCOMPARE(notices(), 2);
}

// A Controller that answers the state query slowly and refuses frames_lost:
// the status bar names it, the refusal is one line, and no box ever stands.
void tst_MainWindow::slowOrRefusingControllerIsToldWithoutBoxes()
{
    Session s;
    QVERIFY(s.open(61));
    MainWindow &w = *s.window;
    SimFaults faults;
    faults.errorReplies << "get status frames_lost";
    faults.replyDelayMs = 1200;
    faults.delayPattern = "get status active";
    s.sim.setFaults(faults);
    QTRY_VERIFY_WITH_TIMEOUT(w.statusBar()->currentMessage().contains("answers slowly"), 10000);
    // Refusals answered and read: the second refused question follows the first's reply.
    s.sim.clearCommandLog();
    QTRY_VERIFY_WITH_TIMEOUT(s.tcpCount("quorix2 get status frames_lost") >= 2, 30000);
    s.sim.setFaults(SimFaults());
    for (const ModalWatcher::Seen &seen : s.watcher.seen())
        QVERIFY2(!seen.title.contains("Command"), qPrintable(seen.title + ": " + seen.text));
}

void tst_MainWindow::singleFailedPollDoesNothing()
{
    Session s;
    QVERIFY(s.open(43));
    MainWindow &w = *s.window;
    // A good poll first, whatever earlier windows left behind.
    s.sim.clearCommandLog();
    QTRY_VERIFY_WITH_TIMEOUT(s.tcpCount("quorix2 get status active") >= 2, 20000);
    SimFaults faults;
    faults.errorReplies << "get status active";
    s.sim.setFaults(faults);
    // Called directly, with no event processing in between, so exactly one poll fails.
    w.update_status();
    s.sim.setFaults(SimFaults());
    s.sim.clearCommandLog();
    QTRY_VERIFY_WITH_TIMEOUT(s.tcpCount("quorix2 get status active") >= 2, 20000);
    for (const ModalWatcher::Seen &seen : s.watcher.seen())
        QVERIFY2(!seen.text.startsWith("Connection to Controller lost."), qPrintable(seen.text));
    QVERIFY(w.isVisible());
}

void tst_MainWindow::twoFailedPollsOpenConnectionLostBox_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<bool>("reconnect");
    QTest::newRow("1.11.9") << "v1.11.9" << false;
    QTest::newRow("1.12") << "v1.12" << true;
}

void tst_MainWindow::twoFailedPollsOpenConnectionLostBox()
{
    QFETCH(QString, protocol);
    QFETCH(bool, reconnect);
    static int address = 50;
    SimScenario scenario;
    scenario.protocolVersion = protocol;
    Session s;
    QVERIFY(s.open(address++, scenario));
    MainWindow &w = *s.window;
    s.sim.clearCommandLog();
    QTRY_VERIFY_WITH_TIMEOUT(s.tcpCount("quorix2 get status active") >= 2, 20000);   // polling

    // Answers every box itself, so the connection-lost box can be looked at while open.
    s.watcher.setDefaultAnswer(ModalWatcher::Answer::leaveOpen());
    LostBox lost;
    QTimer inspector;
    QElapsedTimer sinceSeen;
    connect(&inspector, &QTimer::timeout, [&] {
        if (QMessageBox *box = connectionLostBox()) {
            QAbstractButton *again = nullptr;
            for (QAbstractButton *b : box->buttons())
                if (box->buttonRole(b) == QMessageBox::ActionRole)
                    again = b;
            if (!lost.seen) {
                lost.seen = true;
                lost.title = box->windowTitle();
                for (QAbstractButton *b : box->buttons())
                    lost.buttons << b->text();
                if (again) {
                    lost.reconnectFirst = again->text();
                    lost.reconnectEnabledAtFirst = again->isEnabled();
                }
                sinceSeen.start();
            }
            if (again && again->isEnabled()) {
                lost.reconnectBecameEnabled = true;
                lost.reconnectLast = again->text();
            }
            if (lost.reconnectBecameEnabled)
                again->click();
            else if (!again || sinceSeen.elapsed() > 5000)
                box->button(QMessageBox::Ok)->click();
        }
    });
    inspector.start(20);

    SimFaults faults;
    faults.errorReplies << "get status active";
    s.sim.setFaults(faults);
    // Inside the application's loop, so that the box's choice ends it with its exit code.
    bool seenAfterFirst = true;
    QTimer::singleShot(0, [&] {
        w.update_status();
        seenAfterFirst = lost.seen;
        w.update_status(); // the box runs inside this call
    });
    QObject guard;
    QTimer::singleShot(20000, &guard, [] { qApp->exit(-1); });
    const int exitCode = qApp->exec();
    s.sim.setFaults(SimFaults());
    QVERIFY(!seenAfterFirst);
    QVERIFY(lost.seen);
    QCOMPARE(exitCode, reconnect ? 42 : 0);
    QCOMPARE(lost.title, QString("Command Error"));
    if (reconnect) {
        QCOMPARE(lost.buttons.size(), 2);
        QCOMPARE(lost.reconnectFirst, QString("Reconnect (30)"));
        QVERIFY(!lost.reconnectEnabledAtFirst);
        // The Controller answers the UDP access probe with full access.
        QVERIFY(lost.reconnectBecameEnabled);
        QCOMPARE(lost.reconnectLast, QString("&Reconnect"));
    } else {
        QCOMPARE(lost.buttons.size(), 1);
    }
    // The shutdown preparation ran: no more polling, layout written.
    s.sim.clearCommandLog();
    QVERIFY(waitPastDue(5 * StatusPoller::IntervalMs));   // past the next round, had the poll still run
    QCOMPARE(s.tcpCount("quorix2 get status active"), 0);
    QVERIFY(!w.eventDisplay()->isPolling());
    QVERIFY(QFile::exists(w.layoutFile()));
}

// A reboot while measuring closes the connection: the event display and the
// day's log say when and why, and while the connection-lost box stands the
// status shows as unknown, not as the last values.
void tst_MainWindow::controllerGoneWhileMeasuringIsRecorded()
{
    SimScenario scenario;
    scenario.rebootMs = 60000;   // stays away while the box stands
    Session s;
    QVERIFY(s.open(45, scenario));
    MainWindow &w = *s.window;
    w.startStopAction()->trigger();
    QCOMPARE(w.startStopAction()->text(), QString("Stop"));
    QTRY_VERIFY_WITH_TIMEOUT(w.freqStatusBar()->field()->text().endsWith("Hz"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(w.trackingStatusBar()->statusWidget()->bodyText(), QString("2"), 5000);

    s.watcher.setDefaultAnswer(ModalWatcher::Answer::leaveOpen());
    struct Shown {
        bool seen = false;
        QString frequency, bodies, markers;
        QStringList cameras;
        bool startStopEnabled = true;
        QStringList events;
    } shown;
    QTimer inspector;
    connect(&inspector, &QTimer::timeout, [&] {
        if (QMessageBox *box = connectionLostBox()) {
            if (!shown.seen) {
                shown.seen = true;
                shown.frequency = w.freqStatusBar()->field()->text();
                shown.bodies = w.trackingStatusBar()->statusWidget()->bodyText();
                shown.markers = w.trackingStatusBar()->statusWidget()->markerText();
                for (CamStatusWidget *camera : w.camStatusBar()->findChildren<CamStatusWidget *>())
                    shown.cameras << camera->fieldText();
                shown.startStopEnabled = w.startStopAction()->isEnabled();
                shown.events = s.eventTexts();
            }
            box->button(QMessageBox::Ok)->click();
        }
    });
    inspector.start(20);

    IOManagerUdpTcp other(nullptr);
    unsigned short dataPort = 0;
    QVERIFY(other.connectController(qPrintable(s.address), Port, &dataPort) >= 0);
    char reply[IOManager::BufferSize];
    QCOMPARE(other.sendCommand(reply, "quorix2 system reboot"), 0);
    QObject guard;
    QTimer::singleShot(20000, &guard, [] { qApp->exit(-1); });
    QCOMPARE(qApp->exec(), 0);

    QVERIFY(shown.seen);
    QCOMPARE(shown.frequency, QString(" - "));
    QCOMPARE(shown.bodies, QString("-"));
    QCOMPARE(shown.markers, QString("-"));
    QVERIFY(!shown.cameras.isEmpty());
    for (const QString &camera : shown.cameras)
        QCOMPARE(camera, CamStatusWidget::markerText(-1, -1));
    QVERIFY(!shown.startStopEnabled);

    // Recorded with its time and cause, on screen and in the day's log.
    const QString lost = QString("(IOManagerUdpTcp) Connection to Controller %1 lost: the Controller closed or reset "
                                 "the connection.").arg(s.address);
    const QString ended = QString("(IOManagerUdpTcp) Measurement ended for QUORIX4: connection to Controller %1 lost.")
                              .arg(s.address);
    const QRegularExpression stamped("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d: ");
    int lostLine = -1;
    int endedLine = -1;
    for (int i = 0; i < shown.events.size(); ++i) {
        if (shown.events[i].contains(lost) && stamped.match(shown.events[i]).hasMatch())
            lostLine = i;
        if (shown.events[i].contains(ended) && stamped.match(shown.events[i]).hasMatch())
            endedLine = i;
    }
    QVERIFY2(lostLine >= 0 && endedLine > lostLine, qPrintable(shown.events.join('\n')));
    QFile log(w.eventDisplay()->logFilePath(QDate::currentDate()));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString logged = QString::fromLocal8Bit(log.readAll());
    QVERIFY2(logged.contains(lost) && logged.contains(ended), qPrintable(logged));
}

void tst_MainWindow::eventDockAndContextMenu()
{
    Session s;
    QVERIFY(s.open(60));
    MainWindow &w = *s.window;
    QDockWidget *events = w.eventDock();
    QVERIFY(events);
    QCOMPARE(events->objectName(), QString("DisplayEvent"));
    QCOMPARE(events->windowTitle(), QString("Event Display"));
    QCOMPARE(events->widget(), static_cast<QWidget *>(w.eventDisplay()));
    QCOMPARE(w.dockWidgetArea(events), Qt::BottomDockWidgetArea);
    // Shown, the display polls faster.
    events->show();
    QTRY_COMPARE(w.eventDisplay()->pollInterval(), 100);
    events->hide();
    QTRY_COMPARE(w.eventDisplay()->pollInterval(), 1000);

    // Module docks: one with a small key, one above 1000.
    auto *early = new QDockWidget("Early", &w);
    early->setObjectName("Early");
    early->toggleViewAction()->setData(50);
    w.addDockWidget(Qt::RightDockWidgetArea, early);
    auto *late = new QDockWidget("Late", &w);
    late->setObjectName("Late");
    late->toggleViewAction()->setData(1500);
    w.addDockWidget(Qt::RightDockWidgetArea, late);

    std::unique_ptr<QMenu> menu(w.createPopupMenu());
    const QList<QAction *> actions = menu->actions();
    QCOMPARE(actions.size(), 3 + 1 + 1 + 5);
    QCOMPARE(actions[0], early->toggleViewAction());
    QCOMPARE(actions[1], events->toggleViewAction());
    QVERIFY(actions[2]->isSeparator());
    QCOMPARE(actions[3], late->toggleViewAction());
    QVERIFY(actions[4]->isSeparator());
    QStringList bars;
    for (int i = 5; i < actions.size(); ++i)
        bars << actions[i]->text();
    QCOMPARE(bars, (QStringList{"Start / Stop", "Camera Status", "Sync Status", "Tracking Status", "ZEL Radio Status"}));
}

void tst_MainWindow::closingWhileMeasuring_data()
{
    QTest::addColumn<bool>("stop");
    QTest::newRow("No keeps it running") << false;
    QTest::newRow("Yes stops it") << true;
}

void tst_MainWindow::closingWhileMeasuring()
{
    QFETCH(bool, stop);
    static int address = 70;
    Session s;
    QVERIFY(s.open(address++));
    MainWindow &w = *s.window;
    w.startStopAction()->trigger();
    QCOMPARE(s.sim.activeState(), QString("mea"));
    s.watcher.answer("Quit QUORIX4", ModalWatcher::Answer::press(stop ? QMessageBox::Yes : QMessageBox::No));
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    bool asked = false;
    for (const ModalWatcher::Seen &seen : s.watcher.seen())
        if (seen.title == "Quit QUORIX4") {
            asked = true;
            QCOMPARE(seen.text, QString("Measurement is active. Stop measurement? "));
        }
    QVERIFY(asked);
    QCOMPARE(s.sim.activeState(), stop ? QString("none") : QString("mea"));
    QCOMPARE(s.tcpCount("quorix2 tracking stop"), stop ? 1 : 0);
    QVERIFY(QFile::exists(w.layoutFile()));
}

void tst_MainWindow::quitQuestionCanBeCancelled_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << "Cancel";
    QTest::newRow("Escape") << "Escape";
    QTest::newRow("box closed") << "close";
}

// Changing one's mind keeps the window and the measurement as they were.
void tst_MainWindow::quitQuestionCanBeCancelled()
{
    QFETCH(QString, how);
    static int address = 84;
    Session s;
    QVERIFY(s.open(address++));
    MainWindow &w = *s.window;
    w.startStopAction()->trigger();
    QCOMPARE(s.sim.activeState(), QString("mea"));
    s.watcher.answerOnce("Quit QUORIX4", ModalWatcher::Answer::leaveOpen());
    QTimer::singleShot(300, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        if (how == "Cancel")
            box->button(QMessageBox::Cancel)->click();
        else if (how == "Escape")
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->close();
    });
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QCOMPARE(s.sim.activeState(), QString("mea"));
    QCOMPARE(s.tcpCount("quorix2 tracking stop"), 0);

    s.watcher.answer("Quit QUORIX4", ModalWatcher::Answer::press(QMessageBox::No));
    QVERIFY(w.close());
}

// From the View menu, both ways, without a restart, and the next start keeps it.
void tst_MainWindow::themeSwitchesAtOnceAndIsKept()
{
    Session s;
    QVERIFY(s.open(87));
    MainWindow &w = *s.window;
    QAction *dark = nullptr;
    for (QAction *a : w.menuByTitle("&View")->actions())
        if (a->text() == "&Dark theme")
            dark = a;
    QVERIFY(dark && dark->isCheckable());
    const auto lightness = [&w] { return w.palette().color(QPalette::Window).lightnessF(); };
    // Every label and dock title follows, not only the window: dark text on the bright theme.
    const auto textsFollow = [&w](bool darkTheme) {
        QList<QWidget *> texts;
        for (QLabel *label : w.findChildren<QLabel *>())
            texts << label;
        for (QDockWidget *dock : w.findChildren<QDockWidget *>())
            texts << dock;
        for (QWidget *text : texts)
            if ((text->palette().color(QPalette::Active, QPalette::WindowText).lightnessF() > 0.5) != darkTheme) {
                qWarning() << "keeps the other theme:" << text->metaObject()->className() << text->objectName()
                           << (text->parentWidget() ? text->parentWidget()->metaObject()->className() : "");
                return false;
            }
        return !texts.isEmpty();
    };
    const auto stored = [] {
        Preferences prefs;
        prefs.read();
        return prefs.darkTheme;
    };
    QVERIFY(dark->isChecked());
    QVERIFY(lightness() < 0.5);

    dark->trigger();
    QVERIFY(!dark->isChecked());
    QVERIFY(lightness() > 0.5);
    QVERIFY(textsFollow(false));
    QVERIFY(!stored());

    dark->trigger();
    QVERIFY(lightness() < 0.5);
    QVERIFY(textsFollow(true));
    QVERIFY(stored());
    QVERIFY(s.watcher.seen().isEmpty() || s.watcher.seen().last().title != "QUORIX4");   // no "restart" box
}

// Enter alone must not stop a measurement: only a deliberate Yes does.
void tst_MainWindow::quitQuestionHasNoDefault()
{
    Session s;
    QVERIFY(s.open(80));
    MainWindow &w = *s.window;
    w.startStopAction()->trigger();
    QCOMPARE(s.sim.activeState(), QString("mea"));
    s.watcher.answer("Quit QUORIX4", ModalWatcher::Answer::leaveOpen());
    bool stillOpenAfterEnter = false;
    QTimer::singleShot(300, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Enter);
        stillOpenAfterEnter = box->isVisible();
        box->button(QMessageBox::No)->click();
    });
    QVERIFY(w.close());
    QVERIFY(stillOpenAfterEnter);
    QCOMPARE(s.sim.activeState(), QString("mea"));
    QCOMPARE(s.tcpCount("quorix2 tracking stop"), 0);
}

// The Controller reports another address of its own (a second interface, NAT):
// the next start must still find it where it was reached.
void tst_MainWindow::quitKeepsTheAddressConnected()
{
    Session s;
    SimScenario scenario;
    scenario.netAddress = "198.18.77.2";
    QVERIFY(s.open(90, scenario));
    QVERIFY(s.window->close());
    QVERIFY(s.tcpCount("quorix2 get system hostname") >= 1);
    Preferences stored;
    stored.read();
    QCOMPARE(stored.lastIp, s.address);
    QCOMPARE(stored.lastHostName, QString("quorixsim"));
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
