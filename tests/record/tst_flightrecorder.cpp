// The flight recorder's ring, its file and the reader of such files.
#include "FileSizeLimit.h"
#include "FlightRecorder.h"
#include "IOManagerUdpTcp.h"
#include "MessageBoxProvider.h"
#include "RecordingFile.h"
#include "RecordingFormat.h"
#include "RecordingReader.h"
#include "Requester.h"
#include "ScriptedResponder.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <QtTest>

using Action = ScriptedResponder::Action;
using Use = ScriptedResponder::Use;
using Kind = ChannelRecord::Kind;

namespace {

constexpr qint64 Second = 1000000;

class NoBoxes : public MessageBoxProvider
{
public:
    void openMessageBox(int, QString, QString) override {}
};

class Sink : public Requester
{
public:
    int onData(const char *, const char *) override
    {
        ++lines;
        return 0;
    }
    void onMeasurementStarted() override {}
    void onMeasurementStopped() override {}
    std::atomic<int> lines{0};
};

ChannelRecord command(qint64 us, const QByteArray &text, const QByteArray &reply)
{
    ChannelRecord r;
    r.timeUs = us;
    r.replyUs = us + 1000;
    r.text = text;
    r.reply = reply;
    return r;
}

ChannelRecord data(qint64 us, int frame)
{
    ChannelRecord r;
    r.kind = Kind::Data;
    r.timeUs = us;
    r.text = "fr " + QByteArray::number(frame) + "\n6d 1 [0 1.000][10 20 30 0 0 0][1 0 0 0 1 0 0 0 1]";
    return r;
}

// A small recording of three blocks: header, blocks, closing mark.
QByteArray sampleFile()
{
    FlightRecorder ring;
    ring.setBlockBytes(1024);
    ring.setIdentity("ctl-7", "SN42", "v0.3.1");
    for (int i = 0; i < 60; ++i)
        ring.add(data(1000 * Second + i * 16667, i));
    return ring.fileBytes();
}

} // namespace

class tst_FlightRecorder : public QObject
{
    Q_OBJECT

private slots:
    void theChannelsTrafficIsRecordedWithoutPasswords();
    void theRingKeepsItsWindowAndTheStateBeforeIt();
    void theRingStaysWithinItsByteLimit();
    void damagedFilesAreReadUpToTheDamage_data();
    void damagedFilesAreReadUpToTheDamage();
    void newerVersionsAndStrangersAreRefused();
    void aFileOfTheDocumentedLayoutReads();
    void savingIsAtomicOnAFullDisk();
};

void tst_FlightRecorder::theChannelsTrafficIsRecordedWithoutPasswords()
{
    ScriptedResponder controller;
    QVERIFY(controller.start("127.0.37.1", 50105));
    controller.on("quorix2 get system version", Action::reply("quorix2 set system version v0.2.8"));
    controller.on("quorix2 get status active", Action::reply("quorix2 set status active none"), Use::Once);
    controller.on("quorix2 get status active", Action::reply("quorix2 set status active mea"));
    controller.on("quorix2 get output net_sender_port chmon", Action::reply("quorix2 set output net_sender_port chmon 50105"));
    controller.on("quorix2 getmsg", Action::reply("quorix2 msg warning: camera c02 blocked"), Use::Once);
    controller.on("quorix2 getmsg", Action::reply("quorix2 ok"));
    controller.setDefaultAction(Action::reply("quorix2 ok"));

    NoBoxes boxes;
    IOManagerUdpTcp channel(&boxes);
    FlightRecorder ring;
    ring.setIdentity("ctl-7", "SN42", "v0.2.8");
    channel.setTap(&ring);
    unsigned short dataPort = 0;
    QCOMPARE(channel.connectController("127.0.37.1", 50105, &dataPort), 0);
    Sink sink;
    channel.addDataListener("6d", &sink);
    char value[IOManager::BufferSize];
    QCOMPARE(channel.getString(value, "system version"), 0);
    QCOMPARE(channel.setParameter("system is_frontend_password secret7"), 0);
    QVERIFY(channel.sendCommand(value, "quorix2 tracking start") >= 0);
    QCOMPARE(channel.sendCommand(value, "quorix2 getmsg"), 0);
    QCOMPARE(channel.sendCommand(value, "quorix2 getmsg"), 0);
    QVERIFY(controller.sendDatagram("fr 1\n6d 1 [0 1.000][1 2 3 0 0 0]\n", QHostAddress("127.0.37.1"), dataPort));
    QTRY_COMPARE(sink.lines.load(), 1);
    channel.removeDataListener("6d", &sink);

    const RecordingReader::Result read = RecordingReader::read(ring.fileBytes());
    QCOMPARE(read.status, RecordingReader::Status::Complete);
    QCOMPARE(read.recording.header.controllerName, QString("ctl-7"));
    QCOMPARE(read.recording.header.controllerSerial, QString("SN42"));
    QCOMPARE(read.recording.header.frontendVersion, QString("4.0.1"));
    QStringList seen;
    for (const ChannelRecord &r : read.recording.records) {
        QVERIFY(!r.text.contains("secret7") && !r.reply.contains("secret7"));
        if (r.kind == Kind::Command)
            QVERIFY(r.replyUs >= r.timeUs);
        seen << QString::number(int(r.kind)) + " " + QString::fromLatin1(r.text);
    }
    QVERIFY(seen.contains("1 quorix2 get system version"));
    QVERIFY(seen.contains("1 quorix2 set system is_frontend_password '***'"));
    QVERIFY(seen.contains("1 quorix2 tracking start"));
    QVERIFY(seen.contains("3 quorix2 msg warning: camera c02 blocked"));
    QVERIFY(seen.contains("2 fr 1\n6d 1 [0 1.000][1 2 3 0 0 0]\n"));
    // An empty event queue is no event and no command worth keeping.
    QCOMPARE(seen.filter("getmsg").size(), 0);
    channel.setTap(nullptr);
}

void tst_FlightRecorder::theRingKeepsItsWindowAndTheStateBeforeIt()
{
    FlightRecorder ring;
    ring.setWindowMinutes(1);
    ring.setBlockBytes(2048);
    const qint64 t0 = 5000 * Second;
    ring.add(command(t0, "quorix2 get system version", "quorix2 set system version v0.2.8"));
    ring.add(command(t0 + 1000, "quorix2 get config desc", "quorix2 set config desc old"));
    // Three minutes of frames at 10 Hz, the description changed on the way.
    for (int i = 0; i < 1800; ++i) {
        if (i == 900)
            ring.add(command(t0 + i * Second / 10, "quorix2 get config desc", "quorix2 set config desc new"));
        ring.add(data(t0 + i * Second / 10, i));
    }
    const RecordingReader::Result all = RecordingReader::read(ring.fileBytes());
    QCOMPARE(all.status, RecordingReader::Status::Complete);
    const auto &records = all.recording.records;
    int frames = 0;
    for (const ChannelRecord &r : records)
        frames += r.kind == Kind::Data;
    // About a minute of frames (a block more at most), nothing older.
    QVERIFY2(frames >= 600 && frames < 700, qPrintable(QString::number(frames)));
    QVERIFY(all.recording.header.firstUs >= t0 + 115 * Second);
    // Before them, what the front end knew: each command's latest reply.
    QCOMPARE(records.front().kind, Kind::Command);
    QStringList state;
    for (const ChannelRecord &r : records)
        if (r.kind == Kind::Command)
            state << QString::fromLatin1(r.reply);
    QCOMPARE(state, (QStringList{"quorix2 set system version v0.2.8", "quorix2 set config desc new"}));

    // The last ten seconds only, for the system information.
    const RecordingReader::Result tail = RecordingReader::read(ring.fileBytes(10 * Second));
    QCOMPARE(tail.status, RecordingReader::Status::Complete);
    int tailFrames = 0;
    for (const ChannelRecord &r : tail.recording.records)
        tailFrames += r.kind == Kind::Data;
    QVERIFY2(tailFrames >= 100 && tailFrames < 200, qPrintable(QString::number(tailFrames)));
}

void tst_FlightRecorder::theRingStaysWithinItsByteLimit()
{
    FlightRecorder ring;
    ring.setByteLimit(1024 * 1024);
    ring.setBlockBytes(64 * 1024);
    // Frames that do not compress well: random bytes.
    QByteArray noise(4000, Qt::Uninitialized);
    quint32 seed = 1;
    for (int i = 0; i < 2000; ++i) {
        for (char &c : noise)
            c = char('a' + ((seed = seed * 1103515245u + 12345u) >> 16) % 26);
        ChannelRecord r;
        r.kind = Kind::Data;
        r.timeUs = 1000 * Second + i * 16667;
        r.text = noise;
        ring.add(r);
        QVERIFY(ring.memoryBytes() < 1024 * 1024 + 200 * 1024);
    }
    QVERIFY(ring.rawBytes() > 512 * 1024);
    QCOMPARE(RecordingReader::read(ring.fileBytes()).status, RecordingReader::Status::Complete);
}

void tst_FlightRecorder::damagedFilesAreReadUpToTheDamage_data()
{
    QTest::addColumn<int>("cut");            // bytes kept (-1: all)
    QTest::addColumn<int>("flip");           // a byte changed (-1: none)
    QTest::addColumn<bool>("anyRecords");
    const int size = sampleFile().size();
    const int header = int(RecordingReader::readHeader(sampleFile()).bytesRead);
    QTest::newRow("last block cut") << size - 40 << -1 << true;
    QTest::newRow("closing mark missing") << size - RecordingFormat::EndSize << -1 << true;
    QTest::newRow("cut in the first block") << header + 200 << -1 << false;
    QTest::newRow("last block damaged") << -1 << size - 30 << true;
    QTest::newRow("header only") << header << -1 << false;
}

void tst_FlightRecorder::damagedFilesAreReadUpToTheDamage()
{
    QFETCH(int, cut);
    QFETCH(int, flip);
    QFETCH(bool, anyRecords);
    QByteArray bytes = sampleFile();
    const RecordingReader::Result whole = RecordingReader::read(bytes);
    QCOMPARE(whole.status, RecordingReader::Status::Complete);
    QCOMPARE(int(whole.recording.records.size()), 60);
    if (cut >= 0)
        bytes.truncate(cut);
    if (flip >= 0)
        bytes[flip] = char(bytes[flip] ^ 0x55);
    const RecordingReader::Result r = RecordingReader::read(bytes);
    QCOMPARE(r.status, RecordingReader::Status::Partial);
    QCOMPARE(r.replayable(), anyRecords);
    QVERIFY(int(r.recording.records.size()) <= 60);
    QCOMPARE(anyRecords, !r.recording.records.empty());
    QVERIFY2(r.message.contains(QString("Read %1 of %2 bytes").arg(r.bytesRead).arg(bytes.size())),
             qPrintable(r.message));
    QCOMPARE(r.recording.header.controllerName, QString("ctl-7"));
}

void tst_FlightRecorder::newerVersionsAndStrangersAreRefused()
{
    QByteArray newer = sampleFile();
    qToLittleEndian<quint16>(RecordingFormat::Version + 1, newer.data() + 8);
    const RecordingReader::Result r = RecordingReader::read(newer);
    QCOMPARE(r.status, RecordingReader::Status::NewerVersion);
    QVERIFY(!r.replayable());
    QVERIFY(r.message.contains("format version 2"));
    QVERIFY(r.recording.records.empty());

    for (const QByteArray &bytes : {QByteArray(), QByteArray("quorix2 set system version v1\n"),
                                    QByteArray(RecordingFormat::Magic, 8)}) {
        const RecordingReader::Result s = RecordingReader::read(bytes);
        QCOMPARE(s.status, RecordingReader::Status::NotARecording);
        QVERIFY(!s.replayable());
        QVERIFY(!s.message.isEmpty());
    }
}

void tst_FlightRecorder::aFileOfTheDocumentedLayoutReads()
{
    QFile seed(QStringLiteral(QUORIX_RECORDING_SEEDS "/whole"));
    QVERIFY(seed.open(QIODevice::ReadOnly));
    const RecordingReader::Result r = RecordingReader::read(seed.readAll());
    QCOMPARE(r.status, RecordingReader::Status::Complete);
    QCOMPARE(r.recording.header.controllerVersion, QString("v0.3.1"));
    const auto &records = r.recording.records;
    QCOMPARE(int(records.size()), 24);
    QCOMPARE(records[2].code, -111);
    QCOMPARE(records.back().kind, Kind::Event);
    QVERIFY(records[3].text.startsWith("fr 0\r\nts 12.5"));
}

void tst_FlightRecorder::savingIsAtomicOnAFullDisk()
{
    TestHome home;
    const QString path = QDir(home.path()).filePath("run.qx4rec");
    const QByteArray small = sampleFile();
    QString error;
    QVERIFY(RecordingFile::save(path, small, &error));
    QCOMPARE(RecordingFile::load(path).status, RecordingReader::Status::Complete);

    QByteArray large(4 * 1024 * 1024, 'x');
    {
        FileSizeLimit full(1024 * 1024);
        QVERIFY(!RecordingFile::save(path, large, &error));
    }
    QVERIFY(error.contains(path));
    // The earlier recording is still there, whole, and nothing half-written beside it.
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), small);
    QCOMPARE(QDir(home.path()).entryList(QDir::Files), QStringList{"run.qx4rec"});

    QVERIFY(!RecordingFile::save(QDir(home.path()).filePath("no/such/dir/x.qx4rec"), small, &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(tst_FlightRecorder)
#include "tst_flightrecorder.moc"
