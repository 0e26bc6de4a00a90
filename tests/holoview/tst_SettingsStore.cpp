#include "FakeChannel.h"
#include "FileSizeLimit.h"
#include "HoloviewConfigData.h"
#include "MessageCollector.h"
#include "TestHome.h"

#include <QtTest>

using Configuration::HoloviewConfigData;
using Configuration::StoreXML;

namespace {

const QByteArray kCalculate = "quorix2 get standard calculate_marker";

QString fileIn(const QString &directory)
{
    return directory + "/holoview-preferences.xml";
}

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QByteArray document(const QByteArray &inner, const QByteArray &version = "00.00.01")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root version=\"" + version
        + "\">\n<HoloviewConfigData>\n" + inner + "\n</HoloviewConfigData>\n</root>\n";
}

// Settings that differ from the defaults everywhere.
void changeAll(HoloviewConfigData &config)
{
    config.input.plane = 1;
    config.display.worldShowGrid = false;
    config.display.trackedBodyShowIDs = true;
    config.display.trackedGripwandShowIDs = false;
    config.display.cameraShowFrustum = false;
    config.display.trackedHandShow = false;
    config.display.trackedInertialShow = false;
    config.camera.camPosition[0] = -3000;
    config.camera.camPosition[1] = -3000;
    config.camera.camPosition[2] = 2400;
    config.camera.camUpVector[0] = 0.1234567890123;
    config.camera.camViewCenter[2] = 1e-7;
    config.camera.valid = true;
}

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void directoryIsPerUser();
    void versionNumbers();
    void roundTrip();
    void fileLayout();
    void noFileKeepsDefaultsSilently();
    void rejectedFiles_data();
    void rejectedFiles();
    void partialAndUnreadableAttributes();
    void saveFailureIsReported();
    void fullDiskKeepsTheOldFile();

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<FakeChannel> m_channel;
    MessageCollector m_events;
    QString m_directory;
};

void TestSettingsStore::init()
{
    m_home.reset(new TestHome);
    m_channel.reset(new FakeChannel);
    m_events.messages.clear();
    m_channel->addMessageReceiver("standard", &m_events);
    m_directory = HoloviewConfigData::settingsDirectory();
}

void TestSettingsStore::cleanup()
{
    m_channel->removeMessageReceiver("standard", &m_events);
    m_channel.reset();
    m_home.reset();
}

void TestSettingsStore::directoryIsPerUser()
{
    QCOMPARE(m_directory, m_home->path() + "/.ZEL/QUORIX4/modules/holoview/v1.0.1/config");
}

void TestSettingsStore::versionNumbers()
{
    QCOMPARE(StoreXML::versionNumber("00.00.01"), 1);
    QCOMPARE(StoreXML::versionNumber("01-0a+ff"), 65536 + 10 * 256 + 255);
    QCOMPARE(StoreXML::versionNumber("0.0.1"), -1);
    QCOMPARE(StoreXML::versionNumber("00.00.001"), -1);
}

void TestSettingsStore::roundTrip()
{
    HoloviewConfigData saved;
    changeAll(saved);
    QVERIFY(saved.save(m_directory, m_channel.get()));
    QVERIFY(m_events.messages.isEmpty());
    // In the host's per-user folder, for the user alone.
    QCOMPARE(int(QFileInfo(fileIn(m_directory)).permissions() & 0x0777), 0x0600);
    for (QString dir = m_directory; dir != m_home->path() + "/.ZEL"; dir = QFileInfo(dir).path())
        QCOMPARE(int(QFileInfo(dir).permissions() & 0x0777), 0x0700);

    m_channel->reply(kCalculate, "quorix2 set standard calculate_marker no");
    HoloviewConfigData loaded;
    QCOMPARE(loaded.load(m_directory, m_channel.get()), StoreXML::LoadResult::Loaded);
    QVERIFY(m_events.messages.isEmpty());
    QCOMPARE(loaded.input.plane, 1);
    QCOMPARE(loaded.display.worldShowGrid, false);
    QCOMPARE(loaded.display.worldShowCS, true);
    QCOMPARE(loaded.display.trackedBodyShowIDs, true);
    QCOMPARE(loaded.display.trackedGripwandShowIDs, false);
    QCOMPARE(loaded.display.cameraShowFrustum, false);
    QCOMPARE(loaded.display.trackedHandShow, false);
    QCOMPARE(loaded.display.trackedInertialShow, false);
    QCOMPARE(loaded.display.calculateMarkers, false);
    QCOMPARE(loaded.camera.camPosition[2], 2400.0);
    QCOMPARE(loaded.camera.camUpVector[0], 0.123456789);  // ten significant digits
    QCOMPARE(loaded.camera.camViewCenter[2], 1e-7);
    QVERIFY(loaded.camera.valid);

    // Saving again replaces the file; a failing calculate-marker query counts as true.
    loaded.display.worldShowGrid = true;
    QVERIFY(loaded.save(m_directory, m_channel.get()));
    HoloviewConfigData again;
    again.display.calculateMarkers = false;
    QCOMPARE(again.load(m_directory, nullptr), StoreXML::LoadResult::Loaded);
    QCOMPARE(again.display.worldShowGrid, true);
    QCOMPARE(again.display.calculateMarkers, true);
}

void TestSettingsStore::fileLayout()
{
    HoloviewConfigData config;
    changeAll(config);
    QVERIFY(config.save(m_directory, m_channel.get()));
    QFile file(fileIn(m_directory));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const QStringList lines = text.split('\n');
    QCOMPARE(lines.value(0), QString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    QCOMPARE(lines.value(1), QString("<root version=\"00.00.01\">"));
    QCOMPARE(lines.value(2), QString(" <HoloviewConfigData>"));
    QCOMPARE(lines.value(3), QString("  <InputConfigData plane=\"1\"/>"));
    QVERIFY(lines.value(4).startsWith("  <DisplaySettingsData "));
    QVERIFY(text.contains("camPosition=\"-3000 -3000 2400\""));
    QVERIFY(text.contains("camUpVector=\"0.123456789 0 0\""));
    QVERIFY(text.contains("world.showGrid=\"0\""));
    QVERIFY(text.contains("trackedBody.showIDs=\"1\""));
    QVERIFY(text.contains("trackedHand.show=\"0\""));
    QVERIFY(text.contains("trackedInertial.show=\"0\""));
    QVERIFY(text.contains("valid=\"1\""));
    QVERIFY(!text.contains("calculate", Qt::CaseInsensitive));

    QVERIFY(text.indexOf("<InputConfigData") < text.indexOf("<DisplaySettingsData"));
    QVERIFY(text.indexOf("<DisplaySettingsData") < text.indexOf("<CameraSettingsData"));
}

void TestSettingsStore::noFileKeepsDefaultsSilently()
{
    HoloviewConfigData config;
    config.display.calculateMarkers = false;
    QCOMPARE(config.load(m_directory, m_channel.get()), StoreXML::LoadResult::NoFile);
    QDir().mkpath(m_directory);
    QCOMPARE(config.load(m_directory, m_channel.get()), StoreXML::LoadResult::NoFile);
    QVERIFY(m_events.messages.isEmpty());
    QVERIFY(m_channel->commands().isEmpty());
    QCOMPARE(config.display.calculateMarkers, false);
    QCOMPARE(config.display.worldShowGrid, true);
    QVERIFY(!config.camera.valid);
}

void TestSettingsStore::rejectedFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    const QByteArray valid = "<InputConfigData plane=\"1\"/>";
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not xml") << QByteArray("plane=1\nworld.showGrid=0\n");
    QTest::newRow("two roots") << document(valid) + "<root version=\"00.00.01\"/>\n";
    QTest::newRow("nested second root") << document(valid + "<root version=\"00.00.01\"/>");
    QTest::newRow("version of 5 characters") << document(valid, "0.0.1");
    QTest::newRow("version of 9 characters") << document(valid, "00.00.001");
    QTest::newRow("no version") << QByteArray("<root><HoloviewConfigData>" + valid + "</HoloviewConfigData></root>");
    QTest::newRow("no root") << QByteArray("<settings version=\"00.00.01\"><HoloviewConfigData>" + valid
                                           + "</HoloviewConfigData></settings>");
    QTest::newRow("truncated") << document(valid).left(60);
}

void TestSettingsStore::rejectedFiles()
{
    QFETCH(QByteArray, content);
    const QString path = fileIn(m_directory);
    writeFile(path, content);
    HoloviewConfigData config;
    QCOMPARE(config.load(m_directory, m_channel.get()), StoreXML::LoadResult::Rejected);
    QCOMPARE(m_events.messages.size(), 1);
    QCOMPARE(m_events.messages[0].type, 1);
    QCOMPARE(m_events.messages[0].sender, QString("Quorix4"));
    QCOMPARE(m_events.messages[0].text, "Failed to read file \"" + path + "\". Loading default Holoview settings");
    QCOMPARE(config.input.plane, 0);
    // The bad file is not lost until the next save replaces it.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

void TestSettingsStore::partialAndUnreadableAttributes()
{
    writeFile(fileIn(m_directory), document(
        "<InputConfigData plane=\"x\"/>\n"
        "<DisplaySettingsData world.showCS=\"0\" trackedBody.showIDs=\"1\" camera.showFrustum=\"on\" "
        "camera.showIDs=\"2\"/>\n"
        "<CameraSettingsData camPosition=\"1 x 3\" camUpVector=\"5\" camViewCenter=\"7 8 9 10\" valid=\"yes\"/>"));
    HoloviewConfigData config;
    config.input.plane = 2;
    for (double &v : config.camera.camPosition)
        v = 42;
    for (double &v : config.camera.camUpVector)
        v = 42;
    QCOMPARE(config.load(m_directory, m_channel.get()), StoreXML::LoadResult::Loaded);
    QVERIFY(m_events.messages.isEmpty());

    QCOMPARE(config.input.plane, 0);                  // a word reads as 0
    QCOMPARE(config.display.worldShowGrid, true);     // missing: default kept
    QCOMPARE(config.display.worldShowCS, false);
    QCOMPARE(config.display.trackedBodyShowIDs, true);
    QCOMPARE(config.display.cameraShowFrustum, false);  // "on" is not a number
    QCOMPARE(config.display.cameraShowIDs, true);
    QCOMPARE(config.camera.camPosition[0], 1.0);
    QCOMPARE(config.camera.camPosition[1], 0.0);      // first unreadable number
    QCOMPARE(config.camera.camPosition[2], 42.0);     // the ones after it stay
    QCOMPARE(config.camera.camUpVector[0], 5.0);
    QCOMPARE(config.camera.camUpVector[1], 0.0);      // text ran short
    QCOMPARE(config.camera.camUpVector[2], 42.0);
    QCOMPARE(config.camera.camViewCenter[2], 9.0);
    QVERIFY(!config.camera.valid);

    // Missing parts and an empty settings element change nothing.
    writeFile(fileIn(m_directory), document(""));
    HoloviewConfigData untouched;
    untouched.input.plane = 1;
    QCOMPARE(untouched.load(m_directory, m_channel.get()), StoreXML::LoadResult::Loaded);
    QCOMPARE(untouched.input.plane, 1);
}

void TestSettingsStore::saveFailureIsReported()
{
    // The settings file's place is taken by a directory.
    const QString path = fileIn(m_directory);
    QVERIFY(QDir().mkpath(path));
    HoloviewConfigData config;
    QVERIFY(!config.save(m_directory, m_channel.get()));
    QCOMPARE(m_events.messages.size(), 1);
    QCOMPARE(m_events.messages[0].sender, QString("Quorix4"));
    QVERIFY2(m_events.messages[0].text.startsWith("Can't save Holoview settings to file: \"" + path
                                                + "\". Error message: \""),
             qPrintable(m_events.messages[0].text));
    QVERIFY(m_events.messages[0].text.endsWith('"'));

    // The settings directory itself cannot be made.
    m_events.messages.clear();
    writeFile(m_home->path() + "/blocked", "x");
    QVERIFY(!config.save(m_home->path() + "/blocked/config", m_channel.get()));
    QCOMPARE(m_events.messages.size(), 1);
}

// A full disk during a save leaves the last good settings, and says so.
void TestSettingsStore::fullDiskKeepsTheOldFile()
{
    HoloviewConfigData saved;
    changeAll(saved);
    QVERIFY(saved.save(m_directory, m_channel.get()));
    const QString path = fileIn(m_directory);
    QFile before(path);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray old = before.readAll();
    before.close();
    QVERIFY(old.size() > 100);

    HoloviewConfigData defaults;
    {
        FileSizeLimit full(100);
        QVERIFY(!defaults.save(m_directory, m_channel.get()));
    }
    QCOMPARE(m_events.messages.size(), 1);
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), old);
    // Nothing left beside it.
    QCOMPARE(QDir(m_directory).entryList(QDir::Files), QStringList{"holoview-preferences.xml"});
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_SettingsStore.moc"
