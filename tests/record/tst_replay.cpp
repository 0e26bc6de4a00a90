// Playing a recording back: the front end's replay channel, the simulator's
// replay and the targets as CSV.
#include "ControllerSimulator.h"
#include "FlightRecorder.h"
#include "IOManagerUdpTcp.h"
#include "MessageBoxProvider.h"
#include "RecordingFormat.h"
#include "RecordingIndex.h"
#include "RecordingReader.h"
#include "ReplayChannel.h"
#include "Requester.h"
#include "TargetCsv.h"
#include "TestHome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <mutex>

using Kind = ChannelRecord::Kind;

namespace {

constexpr qint64 Second = 1000000;
constexpr qint64 T0 = 1765000000LL * Second;

class Boxes : public MessageBoxProvider
{
public:
    void openMessageBox(int, QString title, QString text) override { texts << title + "|" + text; }
    QStringList texts;
};

class Frames : public Requester
{
public:
    int onData(const char *, const char *line) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        lines << QByteArray(line);
        return 0;
    }
    void onMeasurementStarted() override { ++started; }
    void onMeasurementStopped() override { ++stopped; }
    int count()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return lines.size();
    }
    QList<QByteArray> taken()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return lines;
    }
    std::mutex mutex;
    QList<QByteArray> lines;
    std::atomic<int> started{0};
    std::atomic<int> stopped{0};
};

ChannelRecord command(qint64 us, const QByteArray &text, const QByteArray &reply, int code = 0)
{
    ChannelRecord r;
    r.timeUs = us;
    r.replyUs = us + 500;
    r.code = code;
    r.text = text;
    r.reply = reply;
    return r;
}

// Four seconds of a measurement at 10 Hz: body 1 drops out from 2 s on, the
// description changes at 2 s, a camera warning comes at 1 s.
std::shared_ptr<const RecordingIndex> fourSeconds()
{
    FlightRecorder ring;
    ring.setIdentity("ctl-7", "SN42", "v0.3.1");
    ring.add(command(T0, "quorix2 get status active", "quorix2 set status active mea"));
    ring.add(command(T0 + 100, "quorix2 get config desc", "quorix2 set config desc old"));
    ring.add(command(T0 + 200, "quorix2 get status frames_lost", "quorix2 err command_exec", -111));
    ring.add(command(T0 + 2 * Second, "quorix2 get config desc", "quorix2 set config desc new"));
    ChannelRecord event;
    event.kind = Kind::Event;
    event.timeUs = T0 + Second;
    event.text = "quorix2 msg warning: camera c02 dimmed";
    ring.add(event);
    for (int i = 0; i <= 40; ++i) {
        ChannelRecord d;
        d.kind = Kind::Data;
        d.timeUs = T0 + i * Second / 10;
        d.text = "fr " + QByteArray::number(100 + i) + "\r\n6d " + (i < 20 ? "2" : "1")
            + " [0 1.000][10.500 -20.000 30.000][1.000000 0.000000 0.000000 0.000000 1.000000 0.000000 0.000000 "
              "0.000000 1.000000]"
            + (i < 20 ? " [1 0.900][1.000 2.000 3.000][0 1 0 -1 0 0 0 0 1]" : "")
            + "\r\n3d 1 [7 1.000][4.000 5.000 6.000]\r\n";
        ring.add(d);
    }
    const RecordingReader::Result read = RecordingReader::read(ring.fileBytes());
    if (read.status != RecordingReader::Status::Complete)
        return nullptr;
    return std::make_shared<const RecordingIndex>(read.recording);
}

} // namespace

class tst_Replay : public QObject
{
    Q_OBJECT

private slots:
    void commandsAreAnsweredAsOfThePosition();
    void whatWouldChangeTheControllerIsRefused();
    void dataAndEventsComeWithTheirTimingScaledBySpeed();
    void pauseSeekAndTheEnd();
    void theSimulatorServesARecording();
    void targetsBecomeCsvRows();
    void aFileThatCannotBeReplayedEndsOnTheTerminal();
};

void tst_Replay::commandsAreAnsweredAsOfThePosition()
{
    const auto recording = fourSeconds();
    QVERIFY(recording);
    QCOMPARE(recording->startUs(), T0);
    Boxes boxes;
    ReplayChannel channel(recording, &boxes);
    char value[IOManager::BufferSize];
    QCOMPARE(channel.getString(value, "config desc"), 0);
    QCOMPARE(QByteArray(value), QByteArray("old"));
    channel.seek(T0 + 2 * Second + 1);
    QCOMPARE(channel.getString(value, "config desc"), 0);
    QCOMPARE(QByteArray(value), QByteArray("new"));
    channel.seek(T0 + 1);
    QCOMPARE(channel.getString(value, "config desc"), 0);
    QCOMPARE(QByteArray(value), QByteArray("old"));
    // A failed exchange answers nothing; what was never asked is said to be missing.
    const CommandChannel::PollScope polling(&channel);
    int lost = 0;
    QVERIFY(channel.getInt(&lost, "status frames_lost") != 0);
    QVERIFY(channel.getString(value, "system hostname") != 0);
    QCOMPARE(boxes.texts, QStringList());
}

void tst_Replay::whatWouldChangeTheControllerIsRefused()
{
    Boxes boxes;
    ReplayChannel channel(fourSeconds(), &boxes);
    char reply[IOManager::BufferSize];
    for (const char *command : {"quorix2 tracking start", "quorix2 tracking stop", "quorix2 system reboot",
                                "quorix2 set config desc mine", "quorix2 reinit"}) {
        QCOMPARE(channel.sendCommand(reply, "%s", command), 0);
        QCOMPARE(QByteArray(reply), QByteArray(ReplayChannel::RefusedReply));
    }
    QVERIFY(channel.setParameter("config active 2") != 0);
    QVERIFY(!boxes.texts.isEmpty());
    QVERIFY(boxes.texts.last().contains("This is a replay"));
    // The front end's own routing of the data is taken, and changes nothing.
    QCOMPARE(channel.setParameter("output active chmon 6d yes"), 0);
    QCOMPARE(channel.sendCommand(reply, "quorix2 init"), 0);
}

void tst_Replay::dataAndEventsComeWithTheirTimingScaledBySpeed()
{
    Boxes boxes;
    ReplayChannel channel(fourSeconds(), &boxes);
    Frames frames;
    channel.addRequester(&frames);
    channel.addDataListener("fr", &frames);
    channel.addDataListener("6d", &frames);
    char value[IOManager::BufferSize];
    // As live: the state query starts the measurement for the requesters, and
    // the query still gets its own answer.
    QCOMPARE(channel.getString(value, "status active"), 0);
    QCOMPARE(QByteArray(value), QByteArray("mea"));
    QTRY_COMPARE(frames.started.load(), 1);
    char reply[IOManager::BufferSize];
    QVERIFY(channel.isRunning());

    channel.setSpeed(8.0);
    QCOMPARE(channel.speed(), ReplayChannel::MaxSpeed);
    QElapsedTimer clock;
    clock.start();
    channel.play();
    QCOMPARE(channel.sendCommand(reply, "quorix2 getmsg"), 0);
    QCOMPARE(QByteArray(reply), QByteArray("quorix2 ok"));
    QTRY_VERIFY(channel.positionUs() > T0 + Second);
    QCOMPARE(channel.sendCommand(reply, "quorix2 getmsg"), 0);
    QCOMPARE(QByteArray(reply), QByteArray("quorix2 msg warning: camera c02 dimmed"));
    QCOMPARE(channel.sendCommand(reply, "quorix2 getmsg"), 0);
    QCOMPARE(QByteArray(reply), QByteArray("quorix2 ok"));
    QTRY_VERIFY(channel.atEnd());
    // Four seconds at four times the speed: well before they would take at 1x.
    QVERIFY2(clock.elapsed() < 3500, qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE(frames.count(), 40 * 2);
    const QList<QByteArray> lines = frames.taken();
    QCOMPARE(lines.first(), QByteArray("fr 101"));   // the first frame is the start, already past
    QVERIFY(lines.contains("fr 140"));
    QVERIFY(lines[1].startsWith("6d 2 [0 1.000]"));
    QVERIFY(lines.last().startsWith("6d 1 [0 1.000]"));
    channel.removeDataListener("fr", &frames);
    channel.removeDataListener("6d", &frames);
    channel.removeRequester(&frames);
}

void tst_Replay::pauseSeekAndTheEnd()
{
    Boxes boxes;
    ReplayChannel channel(fourSeconds(), &boxes);
    Frames frames;
    channel.addDataListener("fr", &frames);
    char reply[IOManager::BufferSize];
    channel.sendCommand(reply, "quorix2 get status active");
    channel.setSpeed(4.0);
    channel.play();
    QTRY_VERIFY(frames.count() >= 4);
    channel.pause();
    QVERIFY(!channel.isPlaying());
    const qint64 paused = channel.positionUs();
    const int seen = frames.count();
    QTest::qWait(300);
    QCOMPARE(channel.positionUs(), paused);
    QCOMPARE(frames.count(), seen);

    // A seek jumps: what lies between is not delivered.
    channel.seek(T0 + 35 * Second / 10);
    channel.play();
    QTRY_VERIFY(channel.atEnd());
    QVERIFY(!channel.isPlaying());
    const QList<QByteArray> lines = frames.taken();
    QVERIFY(!lines.contains("fr 130"));
    QVERIFY(lines.contains("fr 136") && lines.contains("fr 140"));
    QCOMPARE(channel.positionUs(), channel.recording().endUs());
    // Play at the end starts again from the beginning.
    channel.play();
    QVERIFY(channel.positionUs() < T0 + Second);
    channel.pause();
    channel.seek(T0 - 100 * Second);
    QCOMPARE(channel.positionUs(), T0);
    channel.removeDataListener("fr", &frames);
}

void tst_Replay::theSimulatorServesARecording()
{
    const auto recording = fourSeconds();
    ControllerSimulator sim;
    sim.setReplay(recording);
    QVERIFY(sim.start("127.0.37.2", 50105));
    Boxes boxes;
    IOManagerUdpTcp channel(&boxes);
    unsigned short dataPort = 0;
    QCOMPARE(channel.connectController("127.0.37.2", 50105, &dataPort), 0);
    Frames frames;
    channel.addDataListener("fr", &frames);
    char value[IOManager::BufferSize];
    QCOMPARE(channel.getString(value, "config desc"), 0);   // the first command starts the replay
    QCOMPARE(QByteArray(value), QByteArray("old"));
    QCOMPARE(channel.setParameter("output net chmon udp my_ip %d", int(dataPort)), 0);
    char state[IOManager::BufferSize];
    QCOMPARE(channel.sendCommand(state, "quorix2 get status active"), 0);
    QCOMPARE(QByteArray(state), QByteArray("quorix2 set status active mea"));
    QTRY_VERIFY(channel.isRunning());
    QTRY_VERIFY_WITH_TIMEOUT(frames.count() >= 15, 5000);
    char reply[IOManager::BufferSize];
    QCOMPARE(channel.sendCommand(reply, "quorix2 getmsg"), 0);
    QCOMPARE(QByteArray(reply), QByteArray("quorix2 msg warning: camera c02 dimmed"));
    QTRY_VERIFY_WITH_TIMEOUT(sim.replayEnded(), 8000);
    QCOMPARE(channel.getString(value, "config desc"), 0);
    QCOMPARE(QByteArray(value), QByteArray("new"));
    QTRY_VERIFY(frames.taken().contains("fr 140"));
    // Frames come in their recorded order.
    const QList<QByteArray> lines = frames.taken();
    for (int i = 1; i < lines.size(); ++i)
        QVERIFY(lines[i - 1].mid(3).toInt() < lines[i].mid(3).toInt());
    channel.removeDataListener("fr", &frames);
}

void tst_Replay::targetsBecomeCsvRows()
{
    const auto recording = fourSeconds();
    TestHome home;
    const QString path = QDir(home.path()).filePath("targets.csv");
    QString error;
    QVERIFY(TargetCsv::save(path, recording->records(), recording->startUs(), &error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = file.readAll().split('\n');
    QCOMPARE(rows.first(), QByteArray("time,frame,kind,id,quality,x,y,z,r0,r1,r2,r3,r4,r5,r6,r7,r8"));
    // 41 frames: two bodies in 20 of them, one in 21, a marker in each.
    QCOMPARE(rows.size() - 2, 20 * 2 + 21 + 41);
    QCOMPARE(rows[1], QByteArray("0.000000,100,6d,0,1.000,10.500,-20.000,30.000,1.000000,0.000000,0.000000,"
                                 "0.000000,1.000000,0.000000,0.000000,0.000000,1.000000"));
    QCOMPARE(rows[2], QByteArray("0.000000,100,6d,1,0.900,1.000,2.000,3.000,0,1,0,-1,0,0,0,0,1"));
    QCOMPARE(rows[3], QByteArray("0.000000,100,3d,7,1.000,4.000,5.000,6.000,,,,,,,,,"));
    QVERIFY(rows[rows.size() - 2].startsWith("4.000000,140,3d,7,"));

    // Outside bytes: untracked targets, broken blocks and words give no row.
    QCOMPARE(TargetCsv::rows("fr 5\n6df2 1 1 [0 -1.000 4 2][0 0 0][0 0 0 0 0 0 0 0 0][0 0 0]\n6d 1 [x 1][1 2 3]"
                             "\n6d 1 [0 1.0][1 2]\n3d 1 [0 1.0][1 2 3",
                             T0, T0),
             QByteArray());
    QCOMPARE(TargetCsv::rows("6dmt2 1 1 [3 0.500 1 3.000][1 2 3][1 0 0 0 1 0 0 0 1][0][0.01 0 0 0.01 0 0.012]", T0 + 500000, T0),
             QByteArray("0.500000,,6dmt2,3,0.500,1,2,3,1,0,0,0,1,0,0,0,1\n"));
}

void tst_Replay::aFileThatCannotBeReplayedEndsOnTheTerminal()
{
    TestHome home;
    const QDir dir(home.path());
    auto put = [&dir](const QString &name, const QByteArray &bytes) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    };
    FlightRecorder ring;
    ring.add(command(T0, "quorix2 get status active", "quorix2 set status active none"));
    QByteArray newer = ring.fileBytes();
    newer[8] = char(RecordingFormat::Version + 1);
    const struct { QStringList arguments; QString said; } cases[] = {
        {{"-replay", put("empty.qx4rec", "")}, "The file is empty."},
        {{"-replay", put("notes.txt", "quorix2 get status active\n")}, "is not a QUORIX4 recording"},
        {{"-replay", put("newer.qx4rec", newer)}, "format version 2"},
        {{"-replay", dir.filePath("missing.qx4rec")}, "could not be opened"},
        {{"-replay"}, "-replay needs a file"},
        // A good file passes the check; without a display the program ends there.
        {{"-replay", put("good.qx4rec", ring.fileBytes())}, "cannot open display"},
    };
    const QString program = qEnvironmentVariable("QUORIX_APP_DIR") + "/quorix4";
    for (const auto &c : cases) {
        QProcess quorix;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        quorix.setProcessEnvironment(env);
        quorix.start(program, c.arguments);
        QVERIFY(quorix.waitForFinished(20000));
        const QString said = QString::fromLocal8Bit(quorix.readAllStandardError());
        QCOMPARE(quorix.exitCode(), 1);
        QVERIFY2(said.contains(c.said), qPrintable(said));
    }
}

QTEST_GUILESS_MAIN(tst_Replay)
#include "tst_replay.moc"
