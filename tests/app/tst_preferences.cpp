// The preferences file: reading rules, warnings, the written layout and
// that a failed write never damages the file already there.
#include "Preferences.h"
#include "PrivateFiles.h"
#include "TestHome.h"

#include <QtTest>

#include <csignal>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

const QString Parsing = "Error while parsing %1:\nThe file doesn't look like a valid preferences file.\n"
                        "Using built-in values.";
const QString WrongRoot = "Error while parsing %1 :\nThe file doesn't look like a valid preferences file.\n"
                          "Using built-in values.";

void putFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

QByteArray fileContent(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray inMisc(const QByteArray &key, const QByteArray &value)
{
    return "<QUORIX><MISC><" + key + ">" + value + "</" + key + "></MISC></QUORIX>";
}

// Root ignores file modes. For as long as it lives, this takes away the
// capabilities that let root write where the modes forbid it, so that a
// read-only directory is read-only for the test too. Nothing to do for others.
class ModesApply
{
public:
    ModesApply()
    {
        if (geteuid() != 0)
            return;
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        m_header.pid = 0;
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            reduced[cap / 32].effective &= ~(1u << (cap % 32));
        m_dropped = syscall(SYS_capset, &m_header, reduced) == 0;
        m_ok = m_dropped;
    }
    ~ModesApply()
    {
        if (m_dropped)
            syscall(SYS_capset, &m_header, m_saved);
    }
    bool ok() const { return m_ok; }

private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
    bool m_ok = geteuid() != 0;
};

} // namespace

class tst_Preferences : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pathsFollowHomeAndVersion();
    void builtInsWhenNoFileExists();
    void defaultFileSeedsOnlyWithoutCurrentFile();
    void shippedDefaultFileReadsCleanly();
    void brokenFilesWarnAndKeepBuiltIns_data();
    void brokenFilesWarnAndKeepBuiltIns();
    void readStartsByResettingControllerAndSelection();
    void booleansAndSelectionMode();
    void timeoutRules_data();
    void timeoutRules();
    void recorderMinutesAreBoundedAndKeptOnlyWhenChanged();
    void duplicatesLastWinsUnknownsIgnored();

    void writesExactLayout();
    void writesOptionalEntriesOnlyWhenNeeded();
    void roundTripAndDroppedEntries();
    void missingDateGetsWriteTime();
    void unwritableCharactersAreDropped();
    void blankValuesRoundTrip();

    void failedWriteKeepsOldFile();
    void readOnlyDirectoryWithWritableFile();
    void configDirThatCannotBeCreated();
    void userFolderIsTheUsersAlone();

private:
    TestHome *m_home = nullptr;
    QString m_current;
    QString m_default;
};

void tst_Preferences::init()
{
    m_home = new TestHome;
    m_current = Preferences::currentFile();
    m_default = m_home->path() + "/app/config/default-preferences.xml";
}

void tst_Preferences::cleanup()
{
    delete m_home;
    m_home = nullptr;
}

void tst_Preferences::pathsFollowHomeAndVersion()
{
    QCOMPARE(Preferences::configDir(), m_home->path() + "/.ZEL/QUORIX4/v4.0.1/config");
    QCOMPARE(Preferences::currentFile(), m_home->path() + "/.ZEL/QUORIX4/v4.0.1/config/current-preferences.xml");
    QCOMPARE(Preferences::logsDir(), m_home->path() + "/.ZEL/QUORIX4/v4.0.1/logs");
}

void tst_Preferences::builtInsWhenNoFileExists()
{
    Preferences p;
    QCOMPARE(p.read(m_current, m_default), QString("Files not found :\n %1\n\nUsing built-in values.").arg(m_default));
    QCOMPARE(Preferences::readWarningTitle(), QString("Error loading preferences"));
    QVERIFY(p.darkTheme && p.autoBackup && p.notifyOldFrontendOrBackend);
    QVERIFY(!p.showServiceMenu && !p.cascadedSystem && !p.showDynamicReflexSuppression && !p.commandsLogEnabled);
    QCOMPARE(p.externalCommandTimeoutUs, 2000000u);
    QCOMPARE(p.reconnectCountdownS, 30);
    QCOMPARE(p.selectionMode, 1);
    QVERIFY(p.lastHostName.isEmpty() && p.commandsLogName.isEmpty() && p.frontendPassword.isEmpty());
    QVERIFY(!p.lastFrontendUpdate.isValid());
}

void tst_Preferences::defaultFileSeedsOnlyWithoutCurrentFile()
{
    putFile(m_default, "<QUORIX><LAST_TRACKBOX HOSTNAME=\"from-default\"/></QUORIX>");
    Preferences p;
    QCOMPARE(p.read(m_current, m_default), QString());
    QCOMPARE(p.lastHostName, QString("from-default"));

    // A broken current file is reported, not replaced by the default.
    putFile(m_current, "");
    Preferences q;
    QCOMPARE(q.read(m_current, m_default), Parsing.arg(m_current));
    QVERIFY(q.lastHostName.isEmpty());
}

void tst_Preferences::shippedDefaultFileReadsCleanly()
{
    const QString shipped = qEnvironmentVariable("QUORIX_APP_DIR") + "/config/default-preferences.xml";
    if (!QFileInfo::exists(shipped))
        QSKIP("QUORIX_APP_DIR does not hold the shipped default file");
    Preferences p;
    QCOMPARE(p.read(m_current, shipped), QString());
    QCOMPARE(p.selectionMode, 1);
    QVERIFY(p.darkTheme && p.autoBackup && !p.commandsLogEnabled);
    QCOMPARE(p.commandsLogName, QString("commands_log.txt"));
}

void tst_Preferences::brokenFilesWarnAndKeepBuiltIns_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("warning");   // %1: the file
    QTest::newRow("empty") << QByteArray() << Parsing;
    QTest::newRow("wrong root") << QByteArray("<QUORIX2><MENUE><IS_DARK_THEME>false</IS_DARK_THEME></MENUE></QUORIX2>")
                                << WrongRoot;
    QTest::newRow("root in lower case") << QByteArray("<quorix/>") << WrongRoot;
    QTest::newRow("not XML") << QByteArray("IS_DARK_THEME=false\n")
                             << "Error while parsing %1 (Line 1, Column 1) :\nerror occurred while parsing element.\n"
                                "Using built-in values.";
    QTest::newRow("unclosed")
        << QByteArray("<QUORIX>\n<MENUE><IS_DARK_THEME>false</IS_DARK_THEME>\n")
        << "Error while parsing %1 (Line 3, Column 1) :\nunexpected end of file.\nUsing built-in values.";
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 7919 + 13) % 256));
    QTest::newRow("binary garbage") << garbage << QString();   // some parser message; checked loosely
}

void tst_Preferences::brokenFilesWarnAndKeepBuiltIns()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, warning);
    putFile(m_current, content);
    Preferences p;
    const QString got = p.read(m_current, m_default);
    if (warning.isEmpty())
        QVERIFY2(got.startsWith("Error while parsing " + m_current), qPrintable(got));
    else
        QCOMPARE(got, warning.arg(m_current));
    QVERIFY(p.darkTheme);
    QCOMPARE(p.selectionMode, 1);
}

void tst_Preferences::readStartsByResettingControllerAndSelection()
{
    putFile(m_current, "<QUORIX><LAST_TRACKBOX IP=\"10.0.0.5\"/></QUORIX>");
    Preferences p;
    p.lastHostName = "old";
    p.lastMac = "old";
    p.fixSubnet = "old";
    p.selectionMode = 0;
    p.frontendPassword = "kept";
    QCOMPARE(p.read(m_current, m_default), QString());
    QCOMPARE(p.lastIp, QString("10.0.0.5"));
    QVERIFY(p.lastHostName.isEmpty() && p.lastMac.isEmpty() && p.fixSubnet.isEmpty());
    QCOMPARE(p.selectionMode, 1);
    QCOMPARE(p.frontendPassword, QString("kept"));   // not part of the reset
}

void tst_Preferences::booleansAndSelectionMode()
{
    putFile(m_current, "<QUORIX>"
                       "<TRACKBOX_SELECTION><NET_RANGE>Specific_bqc</NET_RANGE>"
                       "<CASCADED_SYSTEM>true</CASCADED_SYSTEM></TRACKBOX_SELECTION>"
                       "<MENUE><SHOW_SERVICE>true</SHOW_SERVICE><IS_DARK_THEME>TRUE</IS_DARK_THEME></MENUE>"
                       "<LOG_FILE><ENABLED>true</ENABLED><NAME> log.txt</NAME>"
                       "<RESPONSE_PREFIX>&gt;&gt;</RESPONSE_PREFIX></LOG_FILE>"
                       "<MISC><AUTO_BACKUP/><NOTIFY_OLD_FRONTEND_OR_BACKEND>FALSE</NOTIFY_OLD_FRONTEND_OR_BACKEND>"
                       "<FRONTEND_PASSWORD><!--c-->secret</FRONTEND_PASSWORD></MISC>"
                       "<LAST_FRONTEND_UPDATE UPDATE_DATE=\"2025-12-24T18:30:05\"/>"
                       "</QUORIX>");
    Preferences p;
    p.commandsLogResponsePrefix = "set before";
    QCOMPARE(p.read(m_current, m_default), QString());
    QCOMPARE(p.selectionMode, 0);   // exact comparison: not "specific_bqc"
    QVERIFY(p.cascadedSystem && p.showServiceMenu && p.commandsLogEnabled);
    QVERIFY(!p.darkTheme);                    // "TRUE" is not "true"
    QVERIFY(!p.autoBackup);                   // no text
    QVERIFY(p.notifyOldFrontendOrBackend);    // only "false" turns it off
    QCOMPARE(p.commandsLogName, QString(" log.txt"));
    QVERIFY(p.commandsLogResponsePrefix.isEmpty());
    QVERIFY(p.frontendPassword.isEmpty());    // first child is a comment, not text
    QCOMPARE(p.lastFrontendUpdate, QDateTime(QDate(2025, 12, 24), QTime(18, 30, 5)));
}

void tst_Preferences::timeoutRules_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<unsigned>("microseconds");
    QTest::newRow("plain") << QByteArray("5000") << 5000000u;
    QTest::newRow("one") << QByteArray("1") << 1000u;
    QTest::newRow("zero") << QByteArray("0") << 2000000u;
    QTest::newRow("negative") << QByteArray("-5") << 2000000u;
    QTest::newRow("letters") << QByteArray("abc") << 2000000u;
    QTest::newRow("fraction") << QByteArray("12.5") << 2000000u;
    QTest::newRow("empty") << QByteArray("") << 2000000u;
    QTest::newRow("at the limit") << QByteArray("2000000") << 2000000000u;
    QTest::newRow("above the limit") << QByteArray("5000000") << 2000000000u;
    QTest::newRow("beyond 64 bits") << QByteArray("99999999999999999999999") << 2000000000u;
    QTest::newRow("hugely negative") << QByteArray("-99999999999999999999999") << 2000000u;
}

void tst_Preferences::timeoutRules()
{
    QFETCH(QByteArray, text);
    QFETCH(unsigned, microseconds);
    putFile(m_current, inMisc("EXTERNAL_COMMAND_TIMEOUT_MS", text));
    Preferences p;
    QCOMPARE(p.read(m_current, m_default), QString());
    QCOMPARE(p.externalCommandTimeoutUs, microseconds);
}

void tst_Preferences::recorderMinutesAreBoundedAndKeptOnlyWhenChanged()
{
    const struct { QByteArray text; int minutes; } cases[] = {
        {"25", 25}, {" 0 ", 0}, {"-3", 0}, {"9999", Preferences::MaxRecorderMinutes}, {"ten", 10}};
    for (const auto &c : cases) {
        putFile(m_current, inMisc("RECORDER_MINUTES", c.text));
        Preferences p;
        QCOMPARE(p.read(m_current, m_default), QString());
        QCOMPARE(p.recorderMinutes, c.minutes);
    }
    Preferences p;
    QVERIFY(!p.buildDocument().contains("RECORDER_MINUTES"));
    p.recorderMinutes = 3;
    const QByteArray written = p.buildDocument();
    QVERIFY(written.contains("<RECORDER_MINUTES>3</RECORDER_MINUTES>"));
    Preferences back;
    QCOMPARE(back.readContent(written, "x"), QString());
    QCOMPARE(back.recorderMinutes, 3);
}

void tst_Preferences::duplicatesLastWinsUnknownsIgnored()
{
    putFile(m_current, "<QUORIX>text<!-- note -->"
                       "<MENUE><SHOW_SERVICE>true</SHOW_SERVICE><COLOUR>red</COLOUR></MENUE>"
                       "<LAST_TRACKBOX HOSTNAME=\"first\" MAC=\"aa\"/>"
                       "<MENUE><SHOW_SERVICE>false</SHOW_SERVICE></MENUE>"
                       "<LAST_TRACKBOX HOSTNAME=\"second\"/>"
                       "<EXTRA><SHOW_SERVICE>true</SHOW_SERVICE></EXTRA>"
                       "<MISC><MENUE><SHOW_SERVICE>true</SHOW_SERVICE></MENUE></MISC>"
                       "</QUORIX>");
    Preferences p;
    QCOMPARE(p.read(m_current, m_default), QString());
    QVERIFY(!p.showServiceMenu);
    QCOMPARE(p.lastHostName, QString("second"));
    QCOMPARE(p.lastMac, QString("aa"));   // absent in the second: the first stays
}

void tst_Preferences::writesExactLayout()
{
    Preferences p;
    p.lastIp = "192.168.10.20";
    p.lastHostName = "bqc-12345678";
    p.lastMac = "00:1a:2b:3c:4d:5e";
    p.lastSerial = "12345678";
    p.lastModel = "BQC_M";
    p.fixHostnameOrIp = "box";
    p.fixSubnet = "192.168.10.0";
    p.selectionMode = 1;
    p.cascadedSystem = true;
    p.lastFrontendUpdate = QDateTime(QDate(2026, 1, 31), QTime(9, 5, 7));
    p.showDynamicReflexSuppression = true;
    p.showServiceMenu = true;
    p.darkTheme = false;
    p.commandsLogEnabled = true;
    p.commandsLogName = "commands_log.txt";
    p.commandsLogResponsePrefix = ">";
    p.autoBackup = false;
    p.notifyOldFrontendOrBackend = false;
    p.externalCommandTimeoutUs = 7500999;
    p.frontendPassword = "a<b&\"c";

    QCOMPARE(p.write(Preferences::configDir(), m_current), QString());
    const QByteArray expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<QUORIX>\n"
        "    <LAST_TRACKBOX IP=\"192.168.10.20\" HOSTNAME=\"bqc-12345678\" MAC=\"00:1a:2b:3c:4d:5e\" "
        "SERIAL=\"12345678\" MODEL=\"BQC_M\"/>\n"
        "    <TRACKBOX_SELECTION>\n"
        "        <FIX_HOSTNAME_OR_IP>box</FIX_HOSTNAME_OR_IP>\n"
        "        <FIX_SUBNET>192.168.10.0</FIX_SUBNET>\n"
        "        <NET_RANGE>specific_bqc</NET_RANGE>\n"
        "        <!-- possible values for NET_RANGE: scan, specific_bqc, local -->\n"
        "        <CASCADED_SYSTEM>true</CASCADED_SYSTEM>\n"
        "    </TRACKBOX_SELECTION>\n"
        "    <LAST_FRONTEND_UPDATE UPDATE_DATE=\"2026-01-31T09:05:07\"/>\n"
        "    <CAMERA_SETTINGS>\n"
        "        <SHOW_DYNAMIC_REFLEX_SUPPRESSION>true</SHOW_DYNAMIC_REFLEX_SUPPRESSION>\n"
        "    </CAMERA_SETTINGS>\n"
        "    <MENUE>\n"
        "        <SHOW_SERVICE>true</SHOW_SERVICE>\n"
        "        <IS_DARK_THEME>false</IS_DARK_THEME>\n"
        "    </MENUE>\n"
        "    <LOG_FILE>\n"
        "        <ENABLED>true</ENABLED>\n"
        "        <NAME>commands_log.txt</NAME>\n"
        "        <!--File name without path!-->\n"
        "        <RESPONSE_PREFIX>&gt;</RESPONSE_PREFIX>\n"
        "    </LOG_FILE>\n"
        "    <MISC>\n"
        "        <AUTO_BACKUP>false</AUTO_BACKUP>\n"
        "        <NOTIFY_OLD_FRONTEND_OR_BACKEND>false</NOTIFY_OLD_FRONTEND_OR_BACKEND>\n"
        "        <EXTERNAL_COMMAND_TIMEOUT_MS>7500</EXTERNAL_COMMAND_TIMEOUT_MS>\n"
        "        <FRONTEND_PASSWORD>a&lt;b&amp;&quot;c</FRONTEND_PASSWORD>\n"
        "    </MISC>\n"
        "</QUORIX>\n";
    QCOMPARE(fileContent(m_current), expected);
}

void tst_Preferences::writesOptionalEntriesOnlyWhenNeeded()
{
    Preferences p;
    p.selectionMode = 2;   // this computer: "local", which older front ends read as "scan"
    p.commandsLogEnabled = true;   // lost: no file name
    p.externalCommandTimeoutUs = 2000000;
    p.lastFrontendUpdate = QDateTime(QDate(2026, 2, 2), QTime(0, 0, 0));
    QCOMPARE(p.write(Preferences::configDir(), m_current), QString());
    const QByteArray expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<QUORIX>\n"
        "    <LAST_TRACKBOX IP=\"\" HOSTNAME=\"\" MAC=\"\" SERIAL=\"\" MODEL=\"\"/>\n"
        "    <TRACKBOX_SELECTION>\n"
        "        <FIX_HOSTNAME_OR_IP></FIX_HOSTNAME_OR_IP>\n"
        "        <FIX_SUBNET></FIX_SUBNET>\n"
        "        <NET_RANGE>local</NET_RANGE>\n"
        "        <!-- possible values for NET_RANGE: scan, specific_bqc, local -->\n"
        "        <CASCADED_SYSTEM>false</CASCADED_SYSTEM>\n"
        "    </TRACKBOX_SELECTION>\n"
        "    <LAST_FRONTEND_UPDATE UPDATE_DATE=\"2026-02-02T00:00:00\"/>\n"
        "    <CAMERA_SETTINGS>\n"
        "        <SHOW_DYNAMIC_REFLEX_SUPPRESSION>false</SHOW_DYNAMIC_REFLEX_SUPPRESSION>\n"
        "    </CAMERA_SETTINGS>\n"
        "    <MENUE>\n"
        "        <SHOW_SERVICE>false</SHOW_SERVICE>\n"
        "        <IS_DARK_THEME>true</IS_DARK_THEME>\n"
        "    </MENUE>\n"
        "    <MISC>\n"
        "        <AUTO_BACKUP>true</AUTO_BACKUP>\n"
        "    </MISC>\n"
        "</QUORIX>\n";
    QCOMPARE(fileContent(m_current), expected);
    Preferences back;
    QCOMPARE(back.read(m_current, m_default), QString());
    QCOMPARE(back.selectionMode, 2);

    // The shipped default file has the same layout.
    const QString shipped = qEnvironmentVariable("QUORIX_APP_DIR") + "/config/default-preferences.xml";
    if (QFileInfo::exists(shipped)) {
        Preferences d;
        QCOMPARE(d.read(m_current, shipped), QString());   // the current file wins
        QCOMPARE(QFile::remove(m_current), true);
        QCOMPARE(d.read(m_current, shipped), QString());
        d.lastFrontendUpdate = QDateTime();
        QByteArray built = d.buildDocument();
        built.replace(QByteArray("UPDATE_DATE=\"") + d.lastFrontendUpdate.toString("yyyy-MM-ddThh:mm:ss").toLatin1(),
                      "UPDATE_DATE=\"");
        QCOMPARE(built, fileContent(shipped));
    }
}

void tst_Preferences::roundTripAndDroppedEntries()
{
    putFile(m_current, "<QUORIX><LAST_TRACKBOX IP=\"1.2.3.4\" HOSTNAME=\"h\" MAC=\"m\" SERIAL=\"s\" MODEL=\"KESTRALINE\"/>"
                       "<TRACKBOX_SELECTION><FIX_SUBNET>10.0.0.0</FIX_SUBNET><NET_RANGE>scan</NET_RANGE></TRACKBOX_SELECTION>"
                       "<LOG_FILE><NAME>x.txt</NAME><RESPONSE_PREFIX>pre</RESPONSE_PREFIX></LOG_FILE>"
                       "<MISC><EXTERNAL_COMMAND_TIMEOUT_MS>2000</EXTERNAL_COMMAND_TIMEOUT_MS>"
                       "<FRONTEND_PASSWORD>pw</FRONTEND_PASSWORD></MISC>"
                       "<UNKNOWN_GROUP><KEY>1</KEY></UNKNOWN_GROUP></QUORIX>");
    Preferences p;
    QCOMPARE(p.read(m_current, m_default), QString());
    QCOMPARE(p.write(Preferences::configDir(), m_current), QString());
    const QByteArray written = fileContent(m_current);
    QVERIFY(!written.contains("UNKNOWN_GROUP"));
    QVERIFY(!written.contains("EXTERNAL_COMMAND_TIMEOUT_MS"));   // equals the default
    QVERIFY(written.contains("<RESPONSE_PREFIX></RESPONSE_PREFIX>"));

    Preferences q;
    QCOMPARE(q.read(m_current, m_default), QString());
    QCOMPARE(q.lastIp, QString("1.2.3.4"));
    QCOMPARE(q.lastModel, QString("KESTRALINE"));
    QCOMPARE(q.fixSubnet, QString("10.0.0.0"));
    QCOMPARE(q.selectionMode, 0);
    QCOMPARE(q.commandsLogName, QString("x.txt"));
    QCOMPARE(q.frontendPassword, QString("pw"));
    QCOMPARE(q.lastFrontendUpdate, p.lastFrontendUpdate);
}

void tst_Preferences::missingDateGetsWriteTime()
{
    Preferences p;
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const QByteArray doc = p.buildDocument();
    QVERIFY(p.lastFrontendUpdate >= before);
    QVERIFY(p.lastFrontendUpdate <= QDateTime::currentDateTime());
    QVERIFY(doc.contains("UPDATE_DATE=\"" + p.lastFrontendUpdate.toString("yyyy-MM-ddThh:mm:ss").toLatin1() + "\""));
}

void tst_Preferences::unwritableCharactersAreDropped()
{
    Preferences p;
    p.frontendPassword = QString("pa") + QChar(0x01) + "ss";
    p.lastHostName = QString("h") + QChar(0x1b) + QString::fromUtf8("\xc3\xa4\xf0\x9f\x98\x80");
    p.commandsLogName = "a\tb";
    QCOMPARE(p.write(Preferences::configDir(), m_current), QString());
    Preferences q;
    QCOMPARE(q.read(m_current, m_default), QString());
    QCOMPARE(q.frontendPassword, QString("pass"));
    QCOMPARE(q.lastHostName, QString::fromUtf8("h\xc3\xa4\xf0\x9f\x98\x80"));
    QCOMPARE(q.commandsLogName, QString("a\tb"));

    // The parser lets such characters through from a file; they are dropped on
    // reading too, so what was read is what the next write stores.
    Preferences r;
    const QByteArray file = "<QUORIX><LAST_TRACKBOX HOSTNAME=\"a\x0c" "b\"/>"
                            "<LOG_FILE><NAME>log\x0c" "file.txt</NAME></LOG_FILE></QUORIX>";
    QCOMPARE(r.readContent(file, "test.xml"), QString());
    QCOMPARE(r.lastHostName, QString("ab"));
    QCOMPARE(r.commandsLogName, QString("logfile.txt"));
    Preferences s;
    QCOMPARE(s.readContent(r.buildDocument(), "written.xml"), QString());
    QCOMPARE(s.commandsLogName, r.commandsLogName);
}

// Values of blanks only, which an XML reader drops as formatting.
void tst_Preferences::blankValuesRoundTrip()
{
    Preferences p;
    p.frontendPassword = " ";
    p.fixHostnameOrIp = "\t";
    p.fixSubnet = "  \n ";
    p.commandsLogName = "   ";
    p.lastHostName = " ";
    p.lastSerial = "\t ";
    QCOMPARE(p.write(Preferences::configDir(), m_current), QString());
    Preferences q;
    QCOMPARE(q.read(m_current, m_default), QString());
    QCOMPARE(q.frontendPassword, QString(" "));
    QCOMPARE(q.fixHostnameOrIp, QString("\t"));
    QCOMPARE(q.fixSubnet, QString("  \n "));
    QCOMPARE(q.commandsLogName, QString("   "));
    QCOMPARE(q.lastHostName, QString(" "));
    QCOMPARE(q.lastSerial, QString("\t "));

    // Blanks around other text were never lost and are written as before.
    p.frontendPassword = " pw ";
    QVERIFY(p.buildDocument().contains("<FRONTEND_PASSWORD> pw </FRONTEND_PASSWORD>"));
}

void tst_Preferences::failedWriteKeepsOldFile()
{
    Preferences p;
    p.lastHostName = "old";
    QCOMPARE(p.write(Preferences::configDir(), m_current), QString());
    const QByteArray old = fileContent(m_current);

    // The disk fills up in the middle of the write.
    p.lastHostName = QString(4000, 'n');
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 600;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    const QString warning = p.write(Preferences::configDir(), m_current);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    QCOMPARE(warning, QString("File %1 cannot be written.").arg(m_current));
    QCOMPARE(fileContent(m_current), old);
    QCOMPARE(QDir(Preferences::configDir()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"current-preferences.xml"});

}

void tst_Preferences::readOnlyDirectoryWithWritableFile()
{
    Preferences p;
    p.lastHostName = "old";
    QCOMPARE(p.write(Preferences::configDir(), m_current), QString());

    const QFile::Permissions readOnlyDir = QFile::ReadOwner | QFile::ExeOwner;
    const QFile::Permissions writableDir = readOnlyDir | QFile::WriteOwner;
    QString inPlace;
    QString neither;
    {
        ModesApply modes;
        if (!modes.ok())
            QSKIP("cannot take away root's right to ignore file modes");
        QVERIFY(QFile::setPermissions(Preferences::configDir(), readOnlyDir));
        p.lastHostName = "new";
        inPlace = p.write(Preferences::configDir(), m_current);

        // Neither a temporary file nor the file itself: nothing written.
        QVERIFY(QFile::setPermissions(m_current, QFile::ReadOwner));
        p.lastHostName = "newer";
        neither = p.write(Preferences::configDir(), m_current);
        QFile::setPermissions(m_current, QFile::ReadOwner | QFile::WriteOwner);
        QFile::setPermissions(Preferences::configDir(), writableDir);
    }
    QCOMPARE(inPlace, QString());
    QCOMPARE(neither, QString("File %1 cannot be opened for writing.").arg(m_current));
    Preferences q;
    QCOMPARE(q.read(m_current, m_default), QString());
    QCOMPARE(q.lastHostName, QString("new"));
    QCOMPARE(QDir(Preferences::configDir()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"current-preferences.xml"});
}

void tst_Preferences::configDirThatCannotBeCreated()
{
    putFile(m_home->path() + "/blocker", "a file, not a directory");
    const QString dir = m_home->path() + "/blocker/config";
    Preferences p;
    QCOMPARE(p.write(dir, dir + "/current-preferences.xml"),
             QString("Directory %1 doesn't exist and cannot be created.").arg(dir));
    QCOMPARE(Preferences::writeWarningTitle(), QString("Error writing preferences"));
}

void tst_Preferences::userFolderIsTheUsersAlone()
{
    const auto mode = [](const QString &path) { return int(QFileInfo(path).permissions() & 0x0777); };
    const QString root = PrivateFiles::userRoot();
    // A first write makes the folders and the file owner-only; the folder above
    // the per-user folder is not ours to change.
    QVERIFY(QDir().mkpath(m_home->path() + "/.ZEL"));
    QFile::setPermissions(m_home->path() + "/.ZEL", QFileDevice::Permissions(0x7751));
    Preferences p;
    p.frontendPassword = "Se.cret";
    QCOMPARE(p.write(), QString());
    QCOMPARE(mode(m_current), 0x0600);
    for (const QString &dir : {Preferences::configDir(), root + "/v4.0.1", root})
        QCOMPARE(mode(dir), 0x0700);
    QCOMPARE(mode(m_home->path() + "/.ZEL"), 0x0751);

    // What an earlier version left readable is closed at start; a link is
    // neither changed nor followed.
    const QString outside = m_home->path() + "/outside.txt";
    putFile(outside, "x");
    const QStringList files{m_current, root + "/commands_log.txt", Preferences::logsDir() + "/events-2026-01-01_h.log",
                            root + "/modules/holoview/v1.0.1/config/holoview-preferences.xml"};
    for (const QString &file : files) {
        putFile(file, "x");
        QFile::setPermissions(file, QFileDevice::Permissions(0x6644));
    }
    QVERIFY(QFile::link(outside, root + "/link"));
    QFile::setPermissions(outside, QFileDevice::Permissions(0x6644));
    for (const QString &dir : {root, Preferences::configDir(), Preferences::logsDir(), root + "/modules"})
        QFile::setPermissions(dir, QFileDevice::Permissions(0x7755));
    PrivateFiles::restrictTree(root);
    for (const QString &file : files)
        QCOMPARE(mode(file), 0x0600);
    for (const QString &dir : {root, Preferences::configDir(), Preferences::logsDir(), root + "/modules",
                               root + "/modules/holoview/v1.0.1"})
        QCOMPARE(mode(dir), 0x0700);
    QCOMPARE(mode(outside), 0x0644);
}

QTEST_GUILESS_MAIN(tst_Preferences)
#include "tst_preferences.moc"
