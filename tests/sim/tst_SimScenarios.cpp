// Scenario switches: identity, password, access, cameras, coordinates, refusals, reboot, profiles, options.
#include "ControllerSimulator.h"
#include "SimCommandProcessor.h"
#include "SimFaults.h"
#include "SimProfile.h"
#include "SimScenario.h"
#include "SimTestClient.h"
#include "TestHome.h"

#include <QProcess>
#include <QtTest>

namespace {

const QString kHost = QStringLiteral("127.0.3.20");
const QString kClient = QStringLiteral("127.0.3.21");
const QHostAddress kPeer(QStringLiteral("127.0.3.21"));

QByteArray ask(SimCommandProcessor& p, const QByteArray& command)
{
    return p.handle(command, kPeer).text;
}

} // namespace

class SimScenariosTest : public QObject
{
    Q_OBJECT

private slots:
    void identityComesFromTheScenario();
    void frontEndPasswordChecksAndChanges();
    void accessNoneAnswersQueriesButRefusesTheRest();
    void cameraWithoutRoomCalibrationAnswersNone();
    void powerwallRoomsAndRuntimeSwitch();
    void measurementStartRefusals();
    void rebootSilencesTheControllerForAWhile();
    void scenarioChangesAtRunTime();
    void profileFileSetsScenarioAndFaults();
    void badOptionsAreRefusedWithAReason();
    void helpDocumentsEveryOption();
};

void SimScenariosTest::identityComesFromTheScenario()
{
    SimScenario s;
    QString error;
    QVERIFY(s.applyOption(QStringLiteral("model"), QStringLiteral("21"), &error));
    QVERIFY(s.applyOption(QStringLiteral("system-version"), QStringLiteral("v2.13.0-beta"), &error));
    QVERIFY(s.applyOption(QStringLiteral("protocol-version"), QStringLiteral("v1.7"), &error));
    QVERIFY(s.applyOption(QStringLiteral("controller-version"), QStringLiteral("v1.0.3"), &error));
    QVERIFY(s.applyOption(QStringLiteral("hostname"), QStringLiteral("kst-hall"), &error));
    QVERIFY(s.applyOption(QStringLiteral("serial"), QStringLiteral("123"), &error));
    QVERIFY(s.applyOption(QStringLiteral("mac"), QStringLiteral("00:11:22:33:44:55"), &error));
    QVERIFY(s.applyOption(QStringLiteral("cameras"), QStringLiteral("6"), &error));
    QVERIFY(s.applyOption(QStringLiteral("bodies"), QStringLiteral("7"), &error));
    QVERIFY(s.applyOption(QStringLiteral("slaves"), QStringLiteral("2"), &error));
    SimCommandProcessor p;
    p.setScenario(s);
    QCOMPARE(ask(p, "quorix2 get system model"), QByteArray("quorix2 set system model 21"));
    QCOMPARE(ask(p, "quorix2 get system version"), QByteArray("quorix2 set system version v2.13.0-beta"));
    QCOMPARE(ask(p, "quorix2 get system protocol_version"), QByteArray("quorix2 set system protocol_version v1.7"));
    QCOMPARE(ask(p, "quorix2 get system controller_version"), QByteArray("quorix2 set system controller_version v1.0.3"));
    QCOMPARE(ask(p, "quorix2 get system hostname"), QByteArray("quorix2 set system hostname kst-hall"));
    QCOMPARE(ask(p, "quorix2 get system controller_serial"), QByteArray("quorix2 set system controller_serial 123"));
    QCOMPARE(ask(p, "quorix2 get system ethernet_mac"), QByteArray("quorix2 set system ethernet_mac 00:11:22:33:44:55"));
    QCOMPARE(ask(p, "quorix2 get camera number_of_cameras"), QByteArray("quorix2 set camera number_of_cameras 6"));
    QCOMPARE(ask(p, "quorix2 get tracking room c06").split(' ').size(), 17);
    QCOMPARE(ask(p, "quorix2 get body number_of_bodies standard"), QByteArray("quorix2 set body number_of_bodies standard 7"));
    QCOMPARE(ask(p, "quorix2 get standard number_of_bodies"), QByteArray("quorix2 set standard number_of_bodies 7"));
    QCOMPARE(ask(p, "quorix2 get cascade number_of_connected_slaves"), QByteArray("quorix2 set cascade number_of_connected_slaves 2"));
    QCOMPARE(ask(p, "quorix2 get cascade connected_slave d02"), QByteArray("quorix2 set cascade connected_slave d02 slave_2"));
    QVERIFY(ask(p, "quorix2 get system version_slave slave_2").startsWith("quorix2 set"));
}

void SimScenariosTest::frontEndPasswordChecksAndChanges()
{
    SimScenario s;
    s.password = QStringLiteral("se.cret");
    ControllerSimulator sim(s);
    QTemporaryDir dir;
    sim.setLogFile(dir.filePath("sim.log"));
    QVERIFY(sim.start(kHost));
    auto udp = [](const QByteArray& c) { return SimTestClient::udpCommand(kHost, c + '\0', kClient); };
    // A peer that never presented the password can neither remove nor replace it.
    const QString stranger = QStringLiteral("127.0.3.22");
    for (const QByteArray& change : {QByteArray("quorix2 set config new_frontend_password none"),
                                     QByteArray("quorix2 set config new_frontend_password 'mine'")})
        QVERIFY(SimTestClient::udpCommand(kHost, change + '\0', stranger).startsWith("quorix2 err -5 "));
    SimTestClient intruder;
    QVERIFY(intruder.connectTo(kHost, 50105, stranger));
    QVERIFY(intruder.command("quorix2 set config new_frontend_password none").startsWith("quorix2 err -5 "));
    QVERIFY(SimTestClient::udpCommand(kHost, "quorix2 get config is_frontend_password 'wrong'" + QByteArray(1, '\0'), stranger)
                .endsWith(" no"));
    QVERIFY(intruder.command("quorix2 set config new_frontend_password none").startsWith("quorix2 err -5 "));
    QCOMPARE(udp("quorix2 get config is_frontend_password none"), QByteArray("quorix2 set config is_frontend_password none no"));
    QCOMPARE(udp("quorix2 get config is_frontend_password 'se.cret'"),
             QByteArray("quorix2 set config is_frontend_password 'se.cret' yes"));
    QCOMPARE(udp("quorix2 get config is_frontend_password 'wrong'"),
             QByteArray("quorix2 set config is_frontend_password 'wrong' no"));
    SimTestClient c;
    QVERIFY(c.connectTo(kHost, 50105, kClient));
    QVERIFY(c.command("quorix2 set config new_frontend_password 'has blank'").startsWith("quorix2 err "));
    QCOMPARE(c.command("quorix2 set config new_frontend_password 'n3w-pw'"), QByteArray("quorix2 ok"));
    QCOMPARE(udp("quorix2 get config is_frontend_password 'n3w-pw'"), QByteArray("quorix2 set config is_frontend_password 'n3w-pw' yes"));
    QCOMPARE(udp("quorix2 get config is_frontend_password 'se.cret'"), QByteArray("quorix2 set config is_frontend_password 'se.cret' no"));
    // Knowing the old password no longer counts once it changed.
    QVERIFY(SimTestClient::udpCommand(kHost, "quorix2 get config is_frontend_password 'n3w-pw'" + QByteArray(1, '\0'), stranger)
                .endsWith(" yes"));
    QCOMPARE(intruder.command("quorix2 set config new_frontend_password 'other'"), QByteArray("quorix2 ok"));
    QVERIFY(c.command("quorix2 set config new_frontend_password none").startsWith("quorix2 err -5 "));
    QCOMPARE(udp("quorix2 get config is_frontend_password 'other'"), QByteArray("quorix2 set config is_frontend_password 'other' yes"));
    QCOMPARE(c.command("quorix2 set config new_frontend_password none"), QByteArray("quorix2 ok"));
    QCOMPARE(udp("quorix2 get config is_frontend_password none"), QByteArray("quorix2 set config is_frontend_password none yes"));

    // Neither log holds a password; "none" is none.
    QFile file(dir.filePath("sim.log"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QString entries;
    for (const SimCommandLog::Entry& e : sim.commandLog())
        entries += e.text + '\n';
    for (const QString& log : {text, entries}) {
        for (const char* secret : {"se.cret", "n3w-pw", "other", "mine", "wrong", "has blank"})
            QVERIFY2(!log.contains(QLatin1String(secret)), qPrintable(log));
        QVERIFY(log.contains("quorix2 set config new_frontend_password '***'"));
        QVERIFY(log.contains("quorix2 get config is_frontend_password '***'"));
        QVERIFY(log.contains("quorix2 set config new_frontend_password none"));
    }
}

void SimScenariosTest::accessNoneAnswersQueriesButRefusesTheRest()
{
    SimScenario s;
    s.fullAccess = false;
    s.accessedBy = QStringLiteral("ip 127.0.0.77");
    SimCommandProcessor p;
    p.setScenario(s);
    QCOMPARE(ask(p, "quorix2 get system access"), QByteArray("quorix2 set system access none"));
    QCOMPARE(ask(p, "quorix2 get system accessed_by"), QByteArray("quorix2 set system accessed_by ip 127.0.0.77"));
    QVERIFY(ask(p, "quorix2 get system hostname").startsWith("quorix2 set system hostname "));
    for (const QByteArray& c : {QByteArray("quorix2 init"), QByteArray("quorix2 tracking start"),
                                QByteArray("quorix2 set standard calculate_marker no"), QByteArray("quorix2 system reboot")})
        QVERIFY2(ask(p, c).startsWith("quorix2 err -5 \""), c);
    QCOMPARE(ask(p, "quorix2 get status active"), QByteArray("quorix2 set status active none"));
    QCOMPARE(ask(p, "quorix2 getmsg"), QByteArray("quorix2 ok"));
}

void SimScenariosTest::cameraWithoutRoomCalibrationAnswersNone()
{
    SimScenario s;
    s.cameras = 3;
    s.uncalibratedCameras = {2};
    SimCommandProcessor p;
    p.setScenario(s);
    QCOMPARE(ask(p, "quorix2 get tracking room c02"), QByteArray("quorix2 set tracking room c02 none"));
    QCOMPARE(ask(p, "quorix2 get tracking room c01").split(' ').size(), 17);
    QCOMPARE(ask(p, "quorix2 get tracking room c03").split(' ').size(), 17);
    QCOMPARE(ask(p, "quorix2 get tracking has_room c02"), QByteArray("quorix2 set tracking has_room c02 no"));
    QCOMPARE(ask(p, "quorix2 get tracking number_of_missing_cameras"), QByteArray("quorix2 set tracking number_of_missing_cameras 1"));
    QCOMPARE(ask(p, "quorix2 get tracking missing_camera c01"), QByteArray("quorix2 set tracking missing_camera c01 c02"));
    QCOMPARE(ask(p, "quorix2 get roomcal last_cam_number"), QByteArray("quorix2 set roomcal last_cam_number 2"));
    ask(p, "quorix2 init");
    QVERIFY(ask(p, "quorix2 getmsg").contains("camera c02 has no room calibration"));
    // With no calibrated camera at all there is nothing to track.
    s.uncalibratedCameras = {1, 2, 3};
    p.setScenario(s);
    QCOMPARE(ask(p, "quorix2 get tracking available"), QByteArray("quorix2 set tracking available no"));
    QVERIFY(ask(p, "quorix2 tracking start").startsWith("quorix2 err -10 "));
    QCOMPARE(ask(p, "quorix2 get status active"), QByteArray("quorix2 set status active none"));
}

void SimScenariosTest::powerwallRoomsAndRuntimeSwitch()
{
    SimScenario s;
    s.coordinateType = QStringLiteral("powerwall");
    SimCommandProcessor p;
    p.setScenario(s);
    QCOMPARE(ask(p, "quorix2 get roomcal coordinate_type"), QByteArray("quorix2 set roomcal coordinate_type powerwall"));
    // Cameras hang high: y is up in a powerwall room.
    QList<QByteArray> w = ask(p, "quorix2 get tracking room c01").split(' ');
    QVERIFY(w.at(6).toDouble() > 2000.0);
    QVERIFY(qAbs(w.at(7).toDouble()) < 2900.0);
    QCOMPARE(ask(p, "quorix2 set roomcal coordinate_type normal"), QByteArray("quorix2 ok"));
    w = ask(p, "quorix2 get tracking room c01").split(' ');
    QVERIFY(w.at(7).toDouble() > 2000.0); // now z is up
    QVERIFY(ask(p, "quorix2 set roomcal coordinate_type sideways").startsWith("quorix2 err -3 "));
}

void SimScenariosTest::measurementStartRefusals()
{
    SimScenario s;
    s.startRefusal = QStringLiteral("0");
    SimCommandProcessor p;
    p.setScenario(s);
    // Words after "quorix2 err": -99, "1" and the reason in double quotes.
    QCOMPARE(ask(p, "quorix2 tracking start"), QByteArray("quorix2 err -99 \"1\" \"0\""));
    QCOMPARE(ask(p, "quorix2 get status active"), QByteArray("quorix2 set status active none"));
    QVERIFY(ask(p, "quorix2 getmsg").contains("reference target"));
    s.startRefusal = QStringLiteral("3");
    p.setScenario(s);
    QCOMPARE(ask(p, "quorix2 tracking start"), QByteArray("quorix2 err -99 \"1\" \"3\""));
    s.startRefusal.clear();
    s.trackingAvailable = false;
    p.setScenario(s);
    QCOMPARE(ask(p, "quorix2 get tracking available"), QByteArray("quorix2 set tracking available no"));
}

void SimScenariosTest::rebootSilencesTheControllerForAWhile()
{
    SimScenario s;
    s.rebootMs = 600;
    ControllerSimulator sim(s);
    QVERIFY(sim.start(kHost));
    SimTestClient c;
    QVERIFY(c.connectTo(kHost, 50105, kClient));
    QCOMPARE(c.command("quorix2 tracking start"), QByteArray("quorix2 ok"));
    QCOMPARE(c.command("quorix2 system reboot"), QByteArray("quorix2 ok"));
    QVERIFY(c.waitClosed());
    QCOMPARE(SimTestClient::udpCommand(kHost, QByteArray("quorix2 get system version\0", 27), kClient, 200),
             QByteArray("<timeout>"));
    // Up again: serving, the measurement is over and the start-up is reported.
    QByteArray reply;
    for (int i = 0; i < 40 && !reply.startsWith("quorix2 set"); ++i)
        reply = SimTestClient::udpCommand(kHost, QByteArray("quorix2 get status active\0", 26), kClient, 100);
    QCOMPARE(reply, QByteArray("quorix2 set status active none"));
    SimTestClient again;
    QVERIFY(again.connectTo(kHost, 50105, kClient));
    QVERIFY(again.command("quorix2 getmsg").contains("controller started"));
}

void SimScenariosTest::scenarioChangesAtRunTime()
{
    ControllerSimulator sim;
    QVERIFY(sim.start(kHost));
    SimTestClient c;
    QVERIFY(c.connectTo(kHost, 50105, kClient));
    QCOMPARE(c.command("quorix2 get system access"), QByteArray("quorix2 set system access full"));
    SimScenario s = sim.scenario();
    s.fullAccess = false;
    s.hostName = QStringLiteral("other");
    sim.setScenario(s);
    QCOMPARE(c.command("quorix2 get system access"), QByteArray("quorix2 set system access none"));
    QCOMPARE(sim.parameter(QStringLiteral("system hostname")), QStringLiteral("other"));
    sim.queueMessage(QStringLiteral("warning: queued by the test"));
    QCOMPARE(sim.queuedMessages(), 1);
    QCOMPARE(c.command("quorix2 getmsg"), QByteArray("quorix2 msg warning: queued by the test"));
}

void SimScenariosTest::profileFileSetsScenarioAndFaults()
{
    TestHome home;
    const QString path = home.path() + QStringLiteral("/room.profile");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Text));
    f.write("# a small powerwall\n\ncameras = 2\ncoordinates = powerwall\npassword = pw\naccess = none\n"
            "uncalibrated = 2\nmessage = warning: from the profile\nfault-no-reply = get status active\n"
            "drop-body = 1500:20\nlose-frames = 15\ndim-camera = 2\n");
    f.close();
    SimScenario s;
    SimFaults faults;
    QString error;
    QVERIFY2(SimProfile::load(path, &s, &faults, &error), qPrintable(error));
    QCOMPARE(s.cameras, 2);
    QVERIFY(s.powerwall());
    QCOMPARE(s.password, QStringLiteral("pw"));
    QVERIFY(!s.fullAccess);
    QCOMPARE(s.uncalibratedCameras, QVector<int>{2});
    QCOMPARE(s.messages, QStringList{QStringLiteral("warning: from the profile")});
    QCOMPARE(faults.noReply, QStringList{QStringLiteral("get status active")});
    QCOMPARE(s.dropBodyMs, 1500);
    QCOMPARE(s.dropBodyEverySec, 20);
    QCOMPARE(s.loseFramesEverySec, 15);
    QCOMPARE(s.dimCamera, 2);

    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate));
    f.write("cameras = 3\nbodies = many\n");
    f.close();
    SimScenario untouched;
    QVERIFY(!SimProfile::load(path, &untouched, &faults, &error));
    QVERIFY2(error.contains(QStringLiteral(":2: bodies")), qPrintable(error));
    QCOMPARE(untouched.cameras, 4); // a bad profile changes nothing
    QVERIFY(!SimProfile::load(home.path() + QStringLiteral("/missing"), &untouched, &faults, &error));
}

void SimScenariosTest::badOptionsAreRefusedWithAReason()
{
    SimScenario s;
    QString error;
    const struct
    {
        const char* name;
        const char* value;
    } bad[] = {{"model", "7"},         {"cameras", "-1"},     {"cameras", "40"},    {"access", "some"},
               {"coordinates", "up"},  {"rate", "0"},         {"password", "a b"},  {"uncalibrated", "1,x"},
               {"hostname", "two words"}, {"no-such-option", "1"}, {"drop-body", "1500"},
               {"drop-body", "0:20"}, {"drop-body", "1500:0"}, {"drop-body", "60001:5"},
               {"drop-body", "1500:3601"}, {"drop-body", "1:2:3"}, {"lose-frames", "0"},
               {"lose-frames", "3601"}, {"lose-frames", "often"}, {"dim-camera", "0"}, {"dim-camera", "33"}};
    for (const auto& b : bad) {
        error.clear();
        QVERIFY2(!s.applyOption(QLatin1String(b.name), QLatin1String(b.value), &error), b.name);
        QVERIFY(error.startsWith(QLatin1String(b.name)));
    }
    // The range is in the message.
    QVERIFY(!s.applyOption(QStringLiteral("drop-body"), QStringLiteral("0:20"), &error));
    QVERIFY2(error.contains(QLatin1String("1 to 60000")) && error.contains(QLatin1String("1 to 3600")), qPrintable(error));
    // What options say of each other is checked once all are applied.
    SimScenario room;
    QVERIFY(room.applyOption(QStringLiteral("dim-camera"), QStringLiteral("5"), &error));
    QVERIFY(!room.validate(&error));
    QVERIFY2(error.startsWith(QLatin1String("dim-camera")) && error.contains(QLatin1String("camera 5")), qPrintable(error));
    QVERIFY(room.applyOption(QStringLiteral("cameras"), QStringLiteral("6"), &error));
    QVERIFY(room.validate(&error));
    QVERIFY(room.applyOption(QStringLiteral("drop-body"), QStringLiteral("1500:20"), &error));
    QVERIFY(room.applyOption(QStringLiteral("bodies"), QStringLiteral("0"), &error));
    QVERIFY(!room.validate(&error));
    QVERIFY2(error.startsWith(QLatin1String("drop-body")), qPrintable(error));
    SimFaults f;
    QVERIFY(!f.applyOption(QStringLiteral("fault-delay"), QStringLiteral("soon"), &error));
    QVERIFY(!f.applyOption(QStringLiteral("fault-long-reply-length"), QStringLiteral("10"), &error));
}

void SimScenariosTest::helpDocumentsEveryOption()
{
    const QString program = qEnvironmentVariable("QUORIX_APP_DIR") + QStringLiteral("/controller-sim");
    if (!QFileInfo::exists(program))
        QSKIP("controller-sim is not built next to the tests");
    QProcess p;
    p.start(program, {QStringLiteral("--help")});
    QVERIFY(p.waitForFinished(10000));
    const QString help = QString::fromLocal8Bit(p.readAllStandardOutput());
    QStringList names = {QStringLiteral("bind"), QStringLiteral("port"), QStringLiteral("profile"), QStringLiteral("log")};
    for (const SimScenario::Option& o : SimScenario::options())
        names << QLatin1String(o.name);
    for (const SimFaults::Option& o : SimFaults::options())
        names << QLatin1String(o.name);
    for (const QString& n : names)
        QVERIFY2(help.contains(QStringLiteral("--") + n), qPrintable(n));
    // A bad option value ends the program with a reason, not a crash.
    p.start(program, {QStringLiteral("--cameras"), QStringLiteral("lots")});
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardError().contains("cameras"));
    p.start(program, {QStringLiteral("--dim-camera"), QStringLiteral("3"), QStringLiteral("--cameras"), QStringLiteral("2")});
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardError().contains("--dim-camera: there is no camera 3"));
}

QTEST_GUILESS_MAIN(SimScenariosTest)
#include "tst_SimScenarios.moc"
