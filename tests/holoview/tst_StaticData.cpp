#include "ControllerSimulator.h"
#include "FakeChannel.h"
#include "IOManagerUdpTcp.h"
#include "MessageCollector.h"
#include "StaticData.h"

#include <QtTest>

using Logic::StaticData;

namespace {

const QByteArray kPose = "100 200 300 1 0 0 0 1 0 0 0 1";

// A Controller with one target per family and three cameras, camera 2 without
// a room calibration.
void scriptController(FakeChannel &c)
{
    c.reply("quorix2 get body number_of_bodies standard", "quorix2 set body number_of_bodies standard 2");
    c.reply("quorix2 get body number_of_marker standard b01", "quorix2 set body number_of_marker standard b01 2");
    c.reply("quorix2 get body marker standard b01 m01", "quorix2 set body marker standard b01 m01 1.5 2.5 3.5");
    c.reply("quorix2 get body marker standard b01 m02", "quorix2 set body marker standard b01 m02 -1 -2 -3");
    // Body 2's marker count gets no reply.
    c.reply("quorix2 get body number_of_bodies gripwand", "quorix2 set body number_of_bodies gripwand 1");
    c.reply("quorix2 get body number_of_marker gripwand b01", "quorix2 set body number_of_marker gripwand b01 2");
    c.reply("quorix2 get body marker gripwand b01 m01", "quorix2 set body marker gripwand b01 m01 7 8");  // short
    c.reply("quorix2 get body marker gripwand b01 m02", "quorix2 set body marker gripwand b01 m02 4 5 6");
    c.reply("quorix2 get measurementtool available", "quorix2 set measurementtool available no");
    c.reply("quorix2 get measurementtool number_of_references", "quorix2 err -3 \"unknown parameter\"");
    c.reply("quorix2 get camera number_of_cameras", "quorix2 set camera number_of_cameras 3");
    c.reply("quorix2 get tracking room c01", "quorix2 set tracking room c01 " + kPose);
    c.reply("quorix2 get tracking room c02", "quorix2 set tracking room c02 none");
    c.reply("quorix2 get tracking room c03", "quorix2 set tracking room c03 1 2 3 0 1 0 -1 0 0 0 0 1");
}

struct Fixture {
    FakeChannel channel;
    MessageCollector events;
    StaticData data{&channel, nullptr};

    Fixture() { channel.addMessageReceiver("standard", &events); }
    ~Fixture() { channel.removeMessageReceiver("standard", &events); }
};

// The simulated Controller on a loopback address of its own, reached through
// the run's real TCP channel.
struct SimulatedController {
    static constexpr quint16 Port = 50105;

    explicit SimulatedController(const char *address) : address(address) {}
    ~SimulatedController() { channel.removeMessageReceiver("standard", &events); }

    bool start(const SimScenario &scenario)
    {
        controller.setScenario(scenario);
        QString error;
        if (!controller.start(QString::fromLatin1(address), Port, &error)) {
            qWarning("simulator: %s", qPrintable(error));
            return false;
        }
        channel.addMessageReceiver("standard", &events);
        unsigned short dataPort = 0;
        return channel.connectController(address, Port, &dataPort) == 0;
    }

    // What static data reported, without the transport's own notes.
    QStringList reports() const
    {
        QStringList list;
        for (const MessageCollector::Message &e : events.messages) {
            if (e.sender == QLatin1String("Quorix2"))
                list << e.text;
        }
        return list;
    }

    const char *address;
    ControllerSimulator controller;
    IOManagerUdpTcp channel{nullptr};
    MessageCollector events;
};

} // namespace

class TestStaticData : public QObject
{
    Q_OBJECT

private slots:
    void readsEveryFamilyAndKeepsPlaces();
    void camerasWithoutCalibrationAreLeftOut();
    void roomCalibrationNeedsTwelvePieces_data();
    void roomCalibrationNeedsTwelvePieces();
    void failedCameraCountStopsTheCameraRead();
    void measurementToolsWhenAvailable();
    void implausibleCountsAreWrongData();
    void againstTheSimulator();
    void againstTheSimulatorWithFaults();
    void lostConnectionIsNotReportedPerQuery();
};

void TestStaticData::readsEveryFamilyAndKeepsPlaces()
{
    Fixture f;
    scriptController(f.channel);
    f.data.update();

    QCOMPARE(f.data.numberOfStandardBodies(), 2);
    const StaticData::MarkerVector *body1 = f.data.standardBodyMarkers(1);
    QVERIFY(body1);
    QCOMPARE(body1->size(), size_t(2));
    QCOMPARE((*body1)[0], (StaticData::Marker{{1.5, 2.5, 3.5}}));
    QCOMPARE((*body1)[1], (StaticData::Marker{{-1, -2, -3}}));
    // Body 2 keeps its place with no markers.
    QVERIFY(f.data.standardBodyMarkers(2));
    QVERIFY(f.data.standardBodyMarkers(2)->empty());
    QVERIFY(!f.data.standardBodyMarkers(0));
    QVERIFY(!f.data.standardBodyMarkers(3));

    // A marker whose position does not come stays at the origin, even when
    // the channel stored part of the answer.
    QCOMPARE(f.data.numberOfGripwands(), 1);
    QCOMPARE((*f.data.gripwandMarkers(1))[0], (StaticData::Marker{{0, 0, 0}}));
    QCOMPARE((*f.data.gripwandMarkers(1))[1], (StaticData::Marker{{4, 5, 6}}));

    QCOMPARE(f.data.numberOfMeasurementTools(), 0);
    QCOMPARE(f.data.numberOfToolReferences(), 0);

    QCOMPARE(f.events.texts(), QStringList({"Error: Unable to get number of marker",
                                            "Error: Unable to get gripwand marker position",
                                            "Error: Unable to get number of measurementtool references"}));
    for (const MessageCollector::Message &e : f.events.messages) {
        QCOMPARE(e.sender, QString("Quorix2"));
        QCOMPARE(e.type, 1);
    }

    // The order of the whole read; "measurementtool available" answered no
    // sends no further tool command.
    const QList<QByteArray> expected = {
        "quorix2 get body number_of_bodies standard",
        "quorix2 get body number_of_marker standard b01",
        "quorix2 get body marker standard b01 m01",
        "quorix2 get body marker standard b01 m02",
        "quorix2 get body number_of_marker standard b02",
        "quorix2 get body number_of_bodies gripwand",
        "quorix2 get body number_of_marker gripwand b01",
        "quorix2 get body marker gripwand b01 m01",
        "quorix2 get body marker gripwand b01 m02",
        "quorix2 get measurementtool available",
        "quorix2 get measurementtool number_of_references",
        "quorix2 get camera number_of_cameras",
        "quorix2 get tracking room c01",
        "quorix2 get tracking room c02",
        "quorix2 get tracking room c03",
    };
    QCOMPARE(f.channel.commands(), expected);

    // A second update replaces everything instead of adding to it.
    f.data.update();
    QCOMPARE(f.data.numberOfStandardBodies(), 2);
    QCOMPARE(f.data.numberOfCameras(), 2);
}

void TestStaticData::camerasWithoutCalibrationAreLeftOut()
{
    Fixture f;
    scriptController(f.channel);
    f.data.update();
    QCOMPARE(f.data.numberOfCameras(), 2);
    QVERIFY(!f.data.allCamerasCalibrated());
    const StaticData::CameraPose *first = f.data.cameraPose(0);
    QVERIFY(first);
    QCOMPARE((*first)[0], 100.0);
    QCOMPARE((*first)[11], 1.0);
    // Camera 3 sits at list index 1.
    QCOMPARE((*f.data.cameraPose(1))[4], 1.0);
    QCOMPARE((*f.data.cameraPose(1))[6], -1.0);
    QVERIFY(!f.data.cameraPose(2));
    QVERIFY(!f.data.cameraPose(-1));

    f.channel.reply("quorix2 get tracking room c02", "quorix2 set tracking room c02 " + kPose);
    f.data.update();
    QVERIFY(f.data.allCamerasCalibrated());
    QCOMPARE(f.data.numberOfCameras(), 3);
}

void TestStaticData::roomCalibrationNeedsTwelvePieces_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("double blank") << QByteArray("1 2  3 4 5 6 7 8 9 10 11 12");
    QTest::newRow("eleven") << QByteArray("1 2 3 4 5 6 7 8 9 10 11");
    QTest::newRow("thirteen") << QByteArray("1 2 3 4 5 6 7 8 9 10 11 12 13");
    QTest::newRow("not a number") << QByteArray("1 2 3 4 5 6 7 8 9 10 11 twelve");
    QTest::newRow("not finite") << QByteArray("1 2 3 4 5 6 7 8 9 10 11 nan");
}

void TestStaticData::roomCalibrationNeedsTwelvePieces()
{
    QFETCH(QByteArray, answer);
    Fixture f;
    f.channel.reply("quorix2 get camera number_of_cameras", "quorix2 set camera number_of_cameras 2");
    f.channel.reply("quorix2 get tracking room c01", "quorix2 set tracking room c01 " + answer);
    // Camera 2 fails its query; the read goes on past both.
    f.data.update();
    QCOMPARE(f.data.numberOfCameras(), 0);
    QVERIFY(f.events.texts().contains("Error: Wrong data in camera room cal"));
    QVERIFY(f.events.texts().contains("Error: Unable to get room cal of camera"));
    QVERIFY(f.data.allCamerasCalibrated());
}

void TestStaticData::failedCameraCountStopsTheCameraRead()
{
    Fixture f;
    scriptController(f.channel);
    f.data.update();
    QVERIFY(!f.data.allCamerasCalibrated());

    f.channel.reply("quorix2 get camera number_of_cameras", "quorix2 err -1 \"busy\"");
    f.events.messages.clear();
    const int before = f.channel.commands().size();
    f.data.update();
    QCOMPARE(f.data.numberOfCameras(), 0);
    QVERIFY(!f.data.allCamerasCalibrated());  // keeps what the last read found
    QCOMPARE(f.events.texts().last(), QString("Error: Unable to get number of cameras"));
    QCOMPARE(f.channel.commands().last(), QByteArray("quorix2 get camera number_of_cameras"));
    QVERIFY(f.channel.commands().size() > before);
}

void TestStaticData::measurementToolsWhenAvailable()
{
    Fixture f;
    f.channel.reply("quorix2 get measurementtool available", "quorix2 set measurementtool available yes");
    f.channel.reply("quorix2 get body number_of_bodies measurementtool",
                    "quorix2 set body number_of_bodies measurementtool 1");
    f.channel.reply("quorix2 get body number_of_marker measurementtool b01",
                    "quorix2 set body number_of_marker measurementtool b01 1");
    f.channel.reply("quorix2 get body marker measurementtool b01 m01",
                    "quorix2 set body marker measurementtool b01 m01 9 8 7");
    f.channel.reply("quorix2 get measurementtool number_of_references",
                    "quorix2 set measurementtool number_of_references 1");
    f.data.update();
    QCOMPARE(f.data.numberOfMeasurementTools(), 1);
    QCOMPARE((*f.data.measurementToolMarkers(1))[0], (StaticData::Marker{{9, 8, 7}}));
    QCOMPARE(f.data.numberOfToolReferences(), 1);
    QVERIFY(f.data.toolReferenceMarkers(1)->empty());
    QVERIFY(f.events.texts().contains("Error: Unable to get number of marker of measurementtool reference"));

    // Without an answer to "available" nothing is asked and nothing reported.
    Fixture g;
    g.data.update();
    QVERIFY(!g.channel.commands().contains("quorix2 get body number_of_bodies measurementtool"));
    QVERIFY(!g.events.texts().contains("Error: Unable to get number of measurementtools"));
    QVERIFY(g.events.texts().contains("Error: Unable to get number of bodies"));
}

void TestStaticData::implausibleCountsAreWrongData()
{
    // Believing these would mean billions of queries from the GUI thread and
    // vectors larger than memory.
    Fixture f;
    f.channel.reply("quorix2 get body number_of_bodies standard", "quorix2 set body number_of_bodies standard 2000000000");
    f.channel.reply("quorix2 get body number_of_bodies gripwand", "quorix2 set body number_of_bodies gripwand 2");
    f.channel.reply("quorix2 get body number_of_marker gripwand b01", "quorix2 set body number_of_marker gripwand b01 -1");
    f.channel.reply("quorix2 get body number_of_marker gripwand b02", "quorix2 set body number_of_marker gripwand b02 2000000000");
    f.channel.reply("quorix2 get camera number_of_cameras", "quorix2 set camera number_of_cameras -4");
    f.data.update();
    QCOMPARE(f.data.numberOfStandardBodies(), 0);
    QCOMPARE(f.data.numberOfGripwands(), 2);
    QVERIFY(f.data.gripwandMarkers(1)->empty());
    QVERIFY(f.data.gripwandMarkers(2)->empty());
    QCOMPARE(f.data.numberOfCameras(), 0);
    QVERIFY(f.events.texts().contains("Error: Unable to get number of bodies"));
    QCOMPARE(f.events.texts().count("Error: Unable to get number of marker of gripwand"), 2);
    QVERIFY(f.events.texts().contains("Error: Unable to get number of cameras"));
    QVERIFY(f.channel.commands().size() < 20);
}

void TestStaticData::againstTheSimulator()
{
    SimulatedController sim("127.0.7.1");
    SimScenario scenario;
    scenario.cameras = 3;
    scenario.uncalibratedCameras = {2};
    QVERIFY(sim.start(scenario));

    StaticData data(&sim.channel, nullptr);
    data.update();
    QVERIFY2(sim.reports().isEmpty(), qPrintable(sim.reports().join('\n')));

    QCOMPARE(data.numberOfCameras(), 2);
    QVERIFY(!data.allCamerasCalibrated());
    const QStringList room3 = sim.controller.parameter("tracking room c03").split(' ');
    QCOMPARE(room3.size(), 12);
    for (int k = 0; k < 12; ++k)
        QCOMPARE((*data.cameraPose(1))[static_cast<size_t>(k)], room3[k].toDouble());

    QCOMPARE(data.numberOfStandardBodies(), scenario.bodies);
    QCOMPARE(data.numberOfGripwands(), scenario.gripwands);
    QCOMPARE(data.numberOfMeasurementTools(), scenario.tools);
    QCOMPARE(data.numberOfToolReferences(), scenario.references);
    for (int b = 1; b <= scenario.bodies; ++b) {
        const int markers = sim.controller.parameter(QString("body number_of_marker standard b%1").arg(b, 2, 10, QChar('0'))).toInt();
        QVERIFY(markers > 0);
        QCOMPARE(int(data.standardBodyMarkers(b)->size()), markers);
        const QStringList last = sim.controller.parameter(QString("body marker standard b%1 m%2")
                                                            .arg(b, 2, 10, QChar('0'))
                                                            .arg(markers, 2, 10, QChar('0'))).split(' ');
        QCOMPARE((*data.standardBodyMarkers(b))[static_cast<size_t>(markers - 1)][2], last.value(2).toDouble());
    }
    QVERIFY(!data.gripwandMarkers(1)->empty());
}

void TestStaticData::againstTheSimulatorWithFaults()
{
    SimulatedController sim("127.0.7.2");
    SimScenario scenario;
    scenario.cameras = 3;
    QVERIFY(sim.start(scenario));
    SimFaults faults;
    faults.errorReplies = QStringList{"get body number_of_marker standard b02",
                                      "get body marker gripwand b01 m03", "get tracking room c01"};
    faults.errorReplies << "get body number_of_bodies measurementtool";
    sim.controller.setFaults(faults);

    StaticData data(&sim.channel, nullptr);
    data.update();
    QCOMPARE(data.numberOfStandardBodies(), scenario.bodies);
    QVERIFY(!data.standardBodyMarkers(1)->empty());
    QVERIFY(data.standardBodyMarkers(2)->empty());
    QCOMPARE((*data.gripwandMarkers(1))[2], (StaticData::Marker{{0, 0, 0}}));
    QCOMPARE(data.numberOfMeasurementTools(), 0);
    QCOMPARE(data.numberOfCameras(), 2);
    QVERIFY(data.allCamerasCalibrated());
    const QStringList texts = sim.reports();
    QVERIFY2(texts.contains("Error: Unable to get number of marker"), qPrintable(texts.join('\n')));
    QVERIFY(texts.contains("Error: Unable to get gripwand marker position"));
    QVERIFY(texts.contains("Error: Unable to get number of measurementtools"));
    QVERIFY(texts.contains("Error: Unable to get room cal of camera"));
}

// The loss is said once, by the channel; the queries that would follow it
// are neither sent nor reported.
void TestStaticData::lostConnectionIsNotReportedPerQuery()
{
    SimulatedController sim("127.0.4.77");
    QVERIFY(sim.start(SimScenario()));
    StaticData data(&sim.channel, nullptr);
    data.update();
    sim.controller.stop();
    sim.events.messages.clear();
    data.update();
    QCOMPARE(sim.reports(), QStringList());
}

QTEST_GUILESS_MAIN(TestStaticData)
#include "tst_StaticData.moc"
