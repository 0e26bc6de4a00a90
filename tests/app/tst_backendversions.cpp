// The version record: parsing of version texts, the version rule and how the
// record is read from a Controller through the command channel.
#include "BackendVersionReader.h"
#include "BackendVersions.h"
#include "FakeChannel.h"
#include "MessageBoxProvider.h"
#include "Version.h"

#include <QtTest>

namespace {

class BoxRecorder : public MessageBoxProvider
{
public:
    void openMessageBox(int, QString title, QString) override { titles.append(title); }
    QStringList titles;
};

// What the Controller says to what it is not told to answer.
const QByteArray kRefusal = "quorix2 err -5 \"unknown\"";

ControllerVersion v(int major, int minor, int patch)
{
    ControllerVersion r;
    r.major = major;
    r.minor = minor;
    r.patch = patch;
    return r;
}

} // namespace

Q_DECLARE_METATYPE(ControllerVersion)

class tst_BackendVersions : public QObject
{
    Q_OBJECT

private slots:
    void parsesVersionTexts_data();
    void parsesVersionTexts();
    void versionRuleComparesLexicographicallyWithUnsetPatch();
    void modelTexts();
    void ownVersionMatchesBuildConstant();

    void readsEverythingFromACurrentController();
    void oldSystemVersionStopsBeforeProtocol();
    void oldProtocolLeavesControllerVersionAndModelUnread();
    void protocolBelow19ReadsControllerVersionButNoModel();
    void failedQueriesFallBack();
};

void tst_BackendVersions::parsesVersionTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<ControllerVersion>("expected");
    QTest::newRow("full") << "v2.13.0" << v(2, 13, 0);
    QTest::newRow("no patch") << "v1.12" << v(1, 12, -1);
    QTest::newRow("suffix") << "v2.13.0-beta" << v(2, 13, 0);
    QTest::newRow("underscore suffix") << "v0.2.10_rc1" << v(0, 2, 10);
    QTest::newRow("build number") << "v0.2.8-1" << v(0, 2, 8);
    QTest::newRow("plus suffix") << "v1.12+git5" << v(1, 12, -1);
    QTest::newRow("capital V, letters") << "V3.1rc2" << v(3, 1, -1);
    QTest::newRow("no v") << "0.1.4" << v(0, 1, 4);
    QTest::newRow("only one v dropped") << "vv1.2" << v(0, -1, -1);
    QTest::newRow("empty part becomes 0") << "v2..3" << v(2, 0, -1);
    QTest::newRow("trailing dot") << "v2." << v(2, 0, -1);
    QTest::newRow("fourth part ignored") << "v1.2.3.4" << v(1, 2, 3);
    QTest::newRow("overflow reads as 0") << "v99999999999.1" << v(0, -1, -1);
    QTest::newRow("garbage") << "#!*" << v(0, -1, -1);
}

void tst_BackendVersions::parsesVersionTexts()
{
    QFETCH(QString, text);
    QFETCH(ControllerVersion, expected);
    const ControllerVersion got = ControllerVersion::parse(text);
    QCOMPARE(QString("%1.%2.%3").arg(got.major).arg(got.minor).arg(got.patch),
             QString("%1.%2.%3").arg(expected.major).arg(expected.minor).arg(expected.patch));
}

void tst_BackendVersions::versionRuleComparesLexicographicallyWithUnsetPatch()
{
    QVERIFY(v(1, 12, -1).isAtLeast(1, 12));
    QVERIFY(!v(1, 11, 9).isAtLeast(1, 12));
    QVERIFY(v(2, 0, -1).isAtLeast(1, 12));
    QVERIFY(v(1, 13, 0).isAtLeast(1, 12));
    QVERIFY(!v(0, 99, 99).isAtLeast(1, 0));
    QVERIFY(!ControllerVersion().isAtLeast(0, 0));   // unread is older than anything
    QVERIFY(v(0, 1, 4).isAtLeast(0, 1, 4));
    QVERIFY(!v(0, 1, 3).isAtLeast(0, 1, 4));
    QVERIFY(!v(0, 1, -1).isAtLeast(0, 1, 4));
}

void tst_BackendVersions::modelTexts()
{
    QCOMPARE(BackendVersions::modelText(0), QString("BQC"));
    QCOMPARE(BackendVersions::modelText(2), QString("BQC_M"));
    QCOMPARE(BackendVersions::modelText(20), QString("KESTRALINE"));
    QCOMPARE(BackendVersions::modelText(21), QString("KESTRALINE3"));
    QCOMPARE(BackendVersions::modelText(100), QString("QUORIX_PC"));
    QCOMPARE(BackendVersions::modelText(1), QString("-1"));
    QCOMPARE(BackendVersions::modelText(-1), QString("-1"));
}

void tst_BackendVersions::ownVersionMatchesBuildConstant()
{
    QCOMPARE(QuorixVersion::text(), QString(QUORIX_VERSION));
    QCOMPARE(QString(QuorixVersion::ReleaseDate), QString(QUORIX_RELEASE_DATE));
}

void tst_BackendVersions::readsEverythingFromACurrentController()
{
    BoxRecorder boxes;
    FakeChannel channel(&boxes);
    channel.setDefaultReply(kRefusal);
    channel.setValue("system version", "v2.13.0 2025-11-03");
    channel.setValue("system protocol_version", "v1.12");
    channel.setValue("system controller_version", "v3.4.5-rc1");
    channel.setValue("system model", "21");

    const BackendVersions r = BackendVersionReader::read(channel);
    QCOMPARE(r.system, v(2, 13, 0));
    QCOMPARE(r.protocol, v(1, 12, -1));
    QCOMPARE(r.controller, v(3, 4, 5));
    QCOMPARE(r.model, QString("KESTRALINE3"));
    QCOMPARE(channel.commands(), (QList<QByteArray>{"quorix2 get system version", "quorix2 get system protocol_version",
                                              "quorix2 get system controller_version", "quorix2 get system model"}));
    QVERIFY(boxes.titles.isEmpty());
}

void tst_BackendVersions::oldSystemVersionStopsBeforeProtocol()
{
    BoxRecorder boxes;
    FakeChannel channel(&boxes);
    channel.setDefaultReply(kRefusal);
    channel.setValue("system version", "v0.1.3");
    channel.setValue("system protocol_version", "v1.12");

    const BackendVersions r = BackendVersionReader::read(channel);
    QCOMPARE(r.system, v(0, 1, 3));
    QCOMPARE(r.protocol, ControllerVersion());
    QCOMPARE(r.controller, ControllerVersion());
    QVERIFY(r.model.isEmpty());
    QCOMPARE(channel.commands().size(), 1);
}

void tst_BackendVersions::oldProtocolLeavesControllerVersionAndModelUnread()
{
    BoxRecorder boxes;
    FakeChannel channel(&boxes);
    channel.setDefaultReply(kRefusal);
    channel.setValue("system version", "v0.1.4");
    channel.setValue("system protocol_version", "v0.11.7");

    const BackendVersions r = BackendVersionReader::read(channel);
    QCOMPARE(r.protocol, v(0, 11, 7));
    QCOMPARE(r.controller, ControllerVersion());
    QVERIFY(r.model.isEmpty());
    QCOMPARE(channel.commands().size(), 2);
}

void tst_BackendVersions::protocolBelow19ReadsControllerVersionButNoModel()
{
    BoxRecorder boxes;
    FakeChannel channel(&boxes);
    channel.setDefaultReply(kRefusal);
    channel.setValue("system version", "v1.0.0");
    channel.setValue("system protocol_version", "v1.8.9");
    channel.setValue("system controller_version", "v2.1");

    const BackendVersions r = BackendVersionReader::read(channel);
    QCOMPARE(r.controller, v(2, 1, -1));
    QVERIFY(r.model.isEmpty());
    QCOMPARE(channel.commands().size(), 3);
}

void tst_BackendVersions::failedQueriesFallBack()
{
    BoxRecorder boxes;
    {
        // No answer to the system version: "v0.0.0" is too old for anything else.
        FakeChannel channel(&boxes);
        channel.setDefaultReply(kRefusal);
        const BackendVersions r = BackendVersionReader::read(channel);
        QCOMPARE(r.system, v(0, 0, 0));
        QCOMPARE(r.protocol, ControllerVersion());
        QCOMPARE(channel.commands().size(), 1);
    }
    {
        // Protocol and model answered, controller version not: it reads "v0.0"; model fails: "0".
        FakeChannel channel(&boxes);
        channel.setDefaultReply(kRefusal);
        channel.setValue("system version", "v2.0.0");
        channel.setValue("system protocol_version", "v1.9");
        const BackendVersions r = BackendVersionReader::read(channel);
        QCOMPARE(r.controller, v(0, 0, -1));
        QCOMPARE(r.model, QString("0"));
    }
}

QTEST_GUILESS_MAIN(tst_BackendVersions)
#include "tst_backendversions.moc"
