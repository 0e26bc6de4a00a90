// Command-line joining, reordering and parsing into the start-up options.
#include "CommandLine.h"

#include <QtTest>

namespace {

// The set flags as letters: D direct start, H host given, M measure, W wake up, ? help, V version.
QString flags(const CommandLine::Options &o)
{
    QString s;
    if (o.directStart) s += 'D';
    if (o.hostGiven) s += 'H';
    if (o.measureAfterStart) s += 'M';
    if (o.wakeUp) s += 'W';
    if (o.help) s += '?';
    if (o.version) s += 'V';
    return s;
}

} // namespace

class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void joinsAtMostFiveArguments();
    void parses_data();
    void parses();
    void emptyHostIsAnError_data();
    void emptyHostIsAnError();
    void macValidity_data();
    void macValidity();
    void macWithColonsConvertsOnlyValidDashForms();
};

void tst_CommandLine::joinsAtMostFiveArguments()
{
    QCOMPARE(CommandLine::joinArguments({"quorix4"}), QString());
    QCOMPARE(CommandLine::joinArguments({}), QString());
    QCOMPARE(CommandLine::joinArguments({"quorix4", "-host", "box"}), QString("-host box"));
    QCOMPARE(CommandLine::joinArguments({"quorix4", "1", "2", "3", "4", "5", "6", "7"}), QString("1 2 3 4 5"));
}

void tst_CommandLine::parses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expectedFlags");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("mac");

    const QString mac = "11:22:33:44:55:66";
    QTest::newRow("empty") << "" << "" << "preset" << "";
    QTest::newRow("restart word") << "directstart" << "" << "preset" << "";
    QTest::newRow("directstart") << "-directstart" << "D" << "preset" << "";
    QTest::newRow("directstart measure") << "-directstart -measure" << "DM" << "preset" << "";
    QTest::newRow("measure directstart") << "-measure -directstart" << "DM" << "preset" << "";
    QTest::newRow("wakeup directstart") << "-wakeup -directstart" << "DW" << "preset" << "";
    QTest::newRow("directstart wakeup takes no MAC") << "-directstart -wakeup " + mac << "DW" << "preset" << "";
    QTest::newRow("three words any order") << "-measure -wakeup -directstart" << "DMW" << "preset" << "";
    QTest::newRow("three words ds first") << "-directstart -measure -wakeup" << "DMW" << "preset" << "";
    QTest::newRow("measure after directstart ends parsing") << "-directstart -measure -wakeup x" << "DM" << "preset" << "";
    QTest::newRow("host") << "-host box" << "H" << "box" << "";
    QTest::newRow("host without name keeps preset") << "-host" << "H" << "preset" << "";
    QTest::newRow("measure host") << "-measure -host box" << "HM" << "box" << "";
    QTest::newRow("wakeup mac host") << "-wakeup " + mac + " -host box" << "HW" << "box" << mac;
    QTest::newRow("canonical five") << "-host box -wakeup " + mac + " -measure" << "HMW" << "box" << mac;
    QTest::newRow("five reordered") << "-measure -wakeup 11-22-33-44-55-66 -host box" << "HMW" << "box"
                                    << "11-22-33-44-55-66";
    QTest::newRow("five, host last: no reorder") << "-measure -wakeup " + mac + " x -host" << "" << "preset" << "";
    QTest::newRow("capitals parse") << "-HOST Box -MEASURE" << "HM" << "Box" << "";
    QTest::newRow("capitals not reordered") << "-MEASURE -HOST box" << "" << "preset" << "";
    QTest::newRow("wakeup without MAC") << "-host box -wakeup" << "H" << "box" << "";
    QTest::newRow("dotted MAC") << "-host box -wakeup 1122.3344.5566" << "H" << "box" << "";
    QTest::newRow("invalid MAC drops measure") << "-host box -wakeup 11:22:33 -measure" << "H" << "box" << "";
    QTest::newRow("non-hex MAC") << "-host box -wakeup 11:22:33:44:55:6G" << "H" << "box" << "";
    QTest::newRow("sixth word ignored") << "-host box -wakeup " + mac + " -measure more" << "HMW" << "box" << mac;
    QTest::newRow("help /?") << "/?" << "?" << "preset" << "";
    QTest::newRow("help -H") << "-H" << "?" << "preset" << "";
    QTest::newRow("help only first") << "-host box -help" << "H" << "box" << "";
    QTest::newRow("--help") << "--help" << "?" << "preset" << "";
    QTest::newRow("--version") << "--version" << "V" << "preset" << "";
    QTest::newRow("--version only first") << "-host box --version" << "H" << "box" << "";
    QTest::newRow("unknown") << "-foo -host box" << "" << "preset" << "";
}

void tst_CommandLine::parses()
{
    QFETCH(QString, text);
    QFETCH(QString, expectedFlags);
    QFETCH(QString, host);
    QFETCH(QString, mac);

    CommandLine::Options options;
    options.hostText = "preset";
    CommandLine::parse(text, options);
    QCOMPARE(flags(options), expectedFlags);
    QCOMPARE(options.hostText, host);
    QCOMPARE(options.macText, mac);
}

void tst_CommandLine::emptyHostIsAnError_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("error");
    QTest::newRow("-host ''") << QStringList{"quorix4", "-host", ""} << true;
    QTest::newRow("-host alone") << QStringList{"quorix4", "-host"} << true;
    QTest::newRow("double space: empty host") << QStringList{"quorix4", "-host", "", "box"} << true;
    QTest::newRow("-host '' -measure") << QStringList{"quorix4", "-host", "", "-measure"} << true;
    QTest::newRow("-measure -host ''") << QStringList{"quorix4", "-measure", "-host", ""} << true;
    QTest::newRow("-host box") << QStringList{"quorix4", "-host", "box"} << false;
    QTest::newRow("-directstart") << QStringList{"quorix4", "-directstart"} << false;
    QTest::newRow("nothing") << QStringList{"quorix4"} << false;
}

void tst_CommandLine::emptyHostIsAnError()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, error);
    CommandLine::Options options;
    options.hostText = "remembered";
    CommandLine::parse(CommandLine::joinArguments(arguments), options);
    QCOMPARE(!options.error.isEmpty(), error);
    if (error)
        QCOMPARE(options.hostText, QString("remembered"));
}

void tst_CommandLine::macValidity_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<bool>("valid");
    QTest::newRow("colons") << "00:1a:2B:3c:4D:ff" << true;
    QTest::newRow("dashes") << "00-1A-2B-3C-4D-FF" << true;
    QTest::newRow("mixed separators") << "00:1A-2B:3C:4D:FF" << false;
    QTest::newRow("five groups") << "00:1A:2B:3C:4D" << false;
    QTest::newRow("seven groups") << "00:1A:2B:3C:4D:5E:6F" << false;
    QTest::newRow("three digits") << "000:1A:2B:3C:4D:5E" << false;
    QTest::newRow("one digit") << "0:1A:2B:3C:4D:5E" << false;
    QTest::newRow("space digit") << " 0:1A:2B:3C:4D:5E" << false;
    QTest::newRow("sign") << "+0:1A:2B:3C:4D:5E" << false;
    QTest::newRow("dash in colon form") << "-1:1A:2B:3C:4D:5E" << false;
    QTest::newRow("dotted") << "001A.2B3C.4D5E" << false;
    QTest::newRow("no separator") << "001A2B3C4D5E" << false;
    QTest::newRow("empty") << "" << false;
}

void tst_CommandLine::macValidity()
{
    QFETCH(QString, mac);
    QFETCH(bool, valid);
    QCOMPARE(CommandLine::isValidMac(mac), valid);
}

void tst_CommandLine::macWithColonsConvertsOnlyValidDashForms()
{
    QCOMPARE(CommandLine::macWithColons("aa-bb-cc-dd-ee-ff"), QString("aa:bb:cc:dd:ee:ff"));
    QCOMPARE(CommandLine::macWithColons("aa:bb:cc:dd:ee:ff"), QString("aa:bb:cc:dd:ee:ff"));
    QCOMPARE(CommandLine::macWithColons("aa-bb-cc"), QString("aa-bb-cc"));
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
