// What the support exports ask of the simulator: the per-camera and per-device
// parameters, and the measurement states a scenario can force.
#include "SimCommandProcessor.h"
#include "SimScenario.h"

#include <QtTest>

namespace {

const QHostAddress kPeer(QStringLiteral("127.0.3.41"));

QByteArray ask(SimCommandProcessor &p, const QByteArray &command)
{
    return p.handle(command, kPeer).text;
}

} // namespace

class SimSupportQueriesTest : public QObject
{
    Q_OBJECT

private slots:
    void perCameraFlashAndSyncLimits();
    void vendorOfAWholeDeviceIdentifier();
    void statusActiveFollowsTheScenario_data();
    void statusActiveFollowsTheScenario();
    void badStatusOptionIsRefused();
};

void SimSupportQueriesTest::perCameraFlashAndSyncLimits()
{
    SimScenario s;
    s.cameras = 3;
    SimCommandProcessor p;
    p.setScenario(s);
    QCOMPARE(ask(p, "quorix2 get camera is_flash_low_power c01"), QByteArray("quorix2 set camera is_flash_low_power c01 no"));
    QCOMPARE(ask(p, "quorix2 get camera max_sync_frequency c03"), QByteArray("quorix2 set camera max_sync_frequency c03 300"));
    QVERIFY(ask(p, "quorix2 get camera max_sync_frequency c04").startsWith("quorix2 err -2 "));
    // The older system-wide form still answers.
    QCOMPARE(ask(p, "quorix2 get camera is_flash_low_power"), QByteArray("quorix2 set camera is_flash_low_power no"));
}

void SimSupportQueriesTest::vendorOfAWholeDeviceIdentifier()
{
    SimCommandProcessor p;
    const QByteArray id = ask(p, "quorix2 get zelwpan device d01").mid(QByteArray("quorix2 set zelwpan device d01 ").size());
    QCOMPARE(id.split(' ').size(), 3);
    QCOMPARE(ask(p, "quorix2 get zelwpan device_vendor_desc " + id),
             "quorix2 set zelwpan device_vendor_desc " + id + " \"Quorix\"");
    QCOMPARE(ask(p, "quorix2 get zelwpan device_vendor_desc " + id.split(' ').at(0)),
             "quorix2 set zelwpan device_vendor_desc " + id.split(' ').at(0) + " \"Quorix\"");
}

void SimSupportQueriesTest::statusActiveFollowsTheScenario_data()
{
    QTest::addColumn<QString>("state");
    QTest::newRow("calibrating") << "cal";
    QTest::newRow("waiting for sync") << "wait";
    QTest::newRow("error") << "err";
}

void SimSupportQueriesTest::statusActiveFollowsTheScenario()
{
    QFETCH(QString, state);
    SimScenario s;
    QString error;
    QVERIFY(s.applyOption(QStringLiteral("status-active"), state, &error));
    SimCommandProcessor p;
    p.setScenario(s);
    QCOMPARE(ask(p, "quorix2 get status active"), "quorix2 set status active " + state.toLatin1());
    QCOMPARE(p.activeState(), state);
    // A stop ends any of them; a start then measures as usual.
    QCOMPARE(ask(p, "quorix2 tracking stop"), QByteArray("quorix2 ok"));
    QCOMPARE(ask(p, "quorix2 get status active"), QByteArray("quorix2 set status active none"));
    QCOMPARE(ask(p, "quorix2 tracking start"), QByteArray("quorix2 ok"));
    QCOMPARE(ask(p, "quorix2 get status active"), QByteArray("quorix2 set status active mea"));
}

void SimSupportQueriesTest::badStatusOptionIsRefused()
{
    SimScenario s;
    QString error;
    QVERIFY(!s.applyOption(QStringLiteral("status-active"), QStringLiteral("mea"), &error));
    QVERIFY(error.contains(QStringLiteral("none, cal, wait or err")));
    QCOMPARE(s.activeState, QStringLiteral("none"));
}

QTEST_MAIN(SimSupportQueriesTest)
#include "tst_SimSupportQueries.moc"
