#include "ServiceStatusDispatcher.h"
#include "SystemdServiceControl.h"
#include "SystemdStandIn.h"

#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

#include <atomic>
#include <climits>
#include <utility>

using Unit = SystemdStandIn::Unit;
using Report = QPair<int, int>;

Q_DECLARE_METATYPE(SystemdStandIn::Unit)

namespace {

Unit unit(const char *activeState, const char *result = "success", int code = 0, int status = 0)
{
    Unit u;
    u.activeState = QString::fromLatin1(activeState);
    u.result = QString::fromLatin1(result);
    u.execMainCode = code;
    u.execMainStatus = status;
    return u;
}

// Collects what a listener hears, from the watcher thread.
class Recorder
{
public:
    LocalServiceControl::Listener listener()
    {
        return [this](int state, int error) {
            QMutexLocker lock(&m_mutex);
            m_reports << Report(state, error);
        };
    }
    QVector<Report> reports() const
    {
        QMutexLocker lock(&m_mutex);
        return m_reports;
    }
    int count() const { return reports().size(); }
    Report last() const
    {
        const QVector<Report> all = reports();
        return all.isEmpty() ? Report(0, -12345) : all.last();
    }

private:
    mutable QMutex m_mutex;
    QVector<Report> m_reports;
};

// The keys of the listeners in the order they were called.
class OrderLog
{
public:
    LocalServiceControl::Listener listener(const QByteArray &key)
    {
        return [this, key](int, int) {
            QMutexLocker lock(&m_mutex);
            m_keys << key;
        };
    }
    QByteArrayList take()
    {
        QMutexLocker lock(&m_mutex);
        return std::exchange(m_keys, {});
    }
    int size() const
    {
        QMutexLocker lock(&m_mutex);
        return m_keys.size();
    }

private:
    mutable QMutex m_mutex;
    QByteArrayList m_keys;
};

} // namespace

class TestService : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    std::unique_ptr<SystemdStandIn> m_systemd;

    SystemdServiceControl control(const QString &unitName) { return SystemdServiceControl(unitName, m_address); }
    ServiceStatusDispatcher *dispatcher(const QString &unitName)
    {
        return ServiceStatusDispatcher::forService(m_address, unitName);
    }

private slots:
    void initTestCase()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            QSKIP("dbus-daemon is not installed (Debian package dbus): no private bus for a systemd stand-in");
        QVERIFY(m_dir.isValid());
        // A bus of our own that starts no services: a name nobody holds stays unknown.
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral(
                       "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                       " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                       "<busconfig>\n"
                       "  <type>session</type>\n"
                       "  <listen>unix:path=%1/bus</listen>\n"
                       "  <auth>EXTERNAL</auth>\n"
                       "  <policy context=\"default\">\n"
                       "    <allow send_destination=\"*\"/>\n"
                       "    <allow receive_sender=\"*\"/>\n"
                       "    <allow own=\"*\"/>\n"
                       "  </policy>\n"
                       "</busconfig>\n")
                       .arg(m_dir.path())
                       .toUtf8());
        file.close();
        m_daemon.setProgram(daemon);
        m_daemon.setArguments({QStringLiteral("--config-file=%1").arg(config), QStringLiteral("--nofork"),
                               QStringLiteral("--print-address")});
        m_daemon.start();
        QVERIFY2(m_daemon.waitForStarted(), qPrintable(m_daemon.errorString()));
        while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(10000)) {
        }
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        QVERIFY2(!m_address.isEmpty(), m_daemon.readAllStandardError().constData());
        m_systemd.reset(new SystemdStandIn);
        QVERIFY(m_systemd->start(m_address));
    }

    void cleanupTestCase()
    {
        m_systemd.reset();
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.terminate();
            m_daemon.waitForFinished(5000);
        }
    }

    void init()
    {
        // A test that failed half-way leaves systemd as it should be for the next.
        m_systemd->setStalling(false);
        m_systemd->setPresent(true);
    }

    void queriesMapTheUnitState_data()
    {
        QTest::addColumn<QString>("loadState");
        QTest::addColumn<QString>("activeState");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<int>("state");
        QTest::newRow("active") << "loaded" << "active" << true << 4;
        QTest::newRow("reloading") << "loaded" << "reloading" << true << 4;
        QTest::newRow("activating") << "loaded" << "activating" << true << 2;
        QTest::newRow("deactivating") << "loaded" << "deactivating" << true << 3;
        QTest::newRow("inactive") << "loaded" << "inactive" << true << 1;
        QTest::newRow("failed") << "loaded" << "failed" << true << 1;
        QTest::newRow("unknown to us") << "loaded" << "maintenance" << true << -1;
        QTest::newRow("masked") << "masked" << "inactive" << true << 1;
        QTest::newRow("no unit file") << "not-found" << "inactive" << false << -1;
    }

    void queriesMapTheUnitState()
    {
        QFETCH(QString, loadState);
        QFETCH(QString, activeState);
        QFETCH(bool, installed);
        QFETCH(int, state);
        Unit u = unit("inactive");
        u.loadState = loadState;
        u.activeState = activeState;
        m_systemd->setUnit(QStringLiteral("query.service"), u);
        SystemdServiceControl c = control(QStringLiteral("query.service"));
        QCOMPARE(c.isInstalled(), installed);
        QCOMPARE(c.currentState(), state);
    }

    void unitNeverLoadedIsNotInstalled()
    {
        SystemdServiceControl c = control(QStringLiteral("never-heard-of.service"));
        QVERIFY(!c.isInstalled());
        QCOMPARE(c.currentState(), -1);
        SystemdServiceControl invalid = control(QStringLiteral("no-type"));
        QVERIFY(!invalid.isInstalled());
    }

    void watcherReportsStateAndError_data()
    {
        QTest::addColumn<Unit>("unit");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("error");
        QTest::newRow("stopped cleanly") << unit("inactive", "success", CLD_EXITED, 0) << 1 << 0;
        Unit neverStarted = unit("inactive");
        neverStarted.execMainStartTimestamp = 0;
        QTest::newRow("never started") << neverStarted << 1 << 0;
        QTest::newRow("failure reset since") << unit("inactive", "success", CLD_EXITED, 3) << 1 << 0;
        QTest::newRow("exit code") << unit("failed", "exit-code", CLD_EXITED, 3) << 1 << 3;
        QTest::newRow("killed") << unit("failed", "signal", CLD_KILLED, SIGKILL) << 1 << 128 + SIGKILL;
        QTest::newRow("core dump") << unit("failed", "core-dump", CLD_DUMPED, SIGSEGV) << 1 << 128 + SIGSEGV;
        // The bus may carry any 32-bit number: one that is no signal is a failure without a code.
        QTest::newRow("killed, no signal number") << unit("failed", "signal", CLD_KILLED, INT_MAX) << 1 << 1;
        QTest::newRow("killed, negative number") << unit("failed", "signal", CLD_KILLED, INT_MIN) << 1 << 1;
        QTest::newRow("time-out, no exit code") << unit("failed", "timeout") << 1 << 1;
        QTest::newRow("running after a failure") << unit("active", "exit-code", CLD_EXITED, 3) << 4 << 0;
        QTest::newRow("restarting after a failure") << unit("activating", "exit-code", CLD_EXITED, 3) << 2 << 0;
        QTest::newRow("stopping") << unit("deactivating") << 3 << 0;
        QTest::newRow("unknown state") << unit("maintenance") << -1 << 0;
        Unit removed = unit("inactive");
        removed.loadState = QStringLiteral("not-found");
        QTest::newRow("no unit file") << removed << 512 << 0;
    }

    void watcherReportsStateAndError()
    {
        QFETCH(Unit, unit);
        QFETCH(int, state);
        QFETCH(int, error);
        const QString name = QStringLiteral("mapping.service");
        m_systemd->setUnit(name, unit);
        SystemdServiceControl c = control(name);
        Recorder recorder;
        QVERIFY(c.connectStatusListener("mapping", recorder.listener()));
        QTRY_COMPARE(recorder.count(), 1);
        QCOMPARE(recorder.last(), Report(state, error));
        QVERIFY(c.disconnectStatusListener("mapping"));
    }

    void watcherFollowsEveryChange()
    {
        const QString name = QStringLiteral("changes.service");
        m_systemd->setUnit(name, unit("inactive"));
        SystemdServiceControl c = control(name);
        Recorder recorder;
        QVERIFY(c.connectStatusListener("changes", recorder.listener()));
        QTRY_COMPARE(recorder.last(), Report(1, 0));
        m_systemd->setUnit(name, unit("activating"));
        QTRY_COMPARE(recorder.last(), Report(2, 0));
        m_systemd->setUnit(name, unit("active"));
        QTRY_COMPARE(recorder.last(), Report(4, 0));
        m_systemd->setUnit(name, unit("deactivating"));
        QTRY_COMPARE(recorder.last(), Report(3, 0));
        m_systemd->setUnit(name, unit("failed", "exit-code", CLD_EXITED, 5));
        QTRY_COMPARE(recorder.last(), Report(1, 5));
        // Each state once: an unchanged state is not repeated.
        QCOMPARE(recorder.reports(), (QVector<Report>{{1, 0}, {2, 0}, {4, 0}, {3, 0}, {1, 5}}));
        QVERIFY(c.disconnectStatusListener("changes"));
    }

    void keysAreUniqueAndCalledInOrder()
    {
        const QString name = QStringLiteral("keys.service");
        m_systemd->setUnit(name, unit("inactive"));
        SystemdServiceControl c = control(name);
        Recorder first, second;
        OrderLog order;
        QVERIFY(c.connectStatusListener("b", first.listener()));
        QVERIFY(!c.connectStatusListener("b", second.listener()));
        QVERIFY(c.connectStatusListener("c", order.listener("c")));
        QVERIFY(c.connectStatusListener("a", order.listener("a")));
        QTRY_COMPARE(first.count(), 1);
        QTRY_COMPARE(order.size(), 2);
        order.take();
        // A newcomer hears the current state; the others are not told again.
        QVERIFY(c.connectStatusListener("ab", order.listener("ab")));
        QTRY_COMPARE(order.size(), 1);
        QTest::qWait(200);
        QCOMPARE(order.take(), QByteArrayList{"ab"});

        m_systemd->setUnit(name, unit("active"));
        QTRY_COMPARE(first.count(), 2);
        QTRY_COMPARE(order.size(), 3);
        QCOMPARE(order.take(), (QByteArrayList{"a", "ab", "c"}));
        QCOMPARE(second.count(), 0);

        for (const char *key : {"a", "ab", "b", "c"})
            QVERIFY(c.disconnectStatusListener(key));
        QVERIFY(!c.disconnectStatusListener("b"));
        QVERIFY(!c.disconnectStatusListener("never registered"));
        QVERIFY(!c.connectStatusListener("empty", LocalServiceControl::Listener()));
    }

    void watcherEndsAfterLastListenerLeaves()
    {
        const QString name = QStringLiteral("lifetime.service");
        m_systemd->setUnit(name, unit("inactive"));
        SystemdServiceControl c = control(name);
        ServiceStatusDispatcher *d = dispatcher(name);
        QVERIFY(!d->isWatching());
        Recorder leaving, staying;
        QVERIFY(c.connectStatusListener("leaving", leaving.listener()));
        QVERIFY(c.connectStatusListener("staying", staying.listener()));
        QVERIFY(d->isWatching());
        QTRY_COMPARE(leaving.count(), 1);
        QTRY_COMPARE(staying.count(), 1);

        QVERIFY(c.disconnectStatusListener("leaving"));
        m_systemd->setUnit(name, unit("active"));
        QTRY_COMPARE(staying.last(), Report(4, 0));
        QVERIFY(d->isWatching());
        QCOMPARE(leaving.count(), 1);

        QVERIFY(c.disconnectStatusListener("staying"));
        QTRY_VERIFY(!d->isWatching());

        // A later listener starts a new watcher and hears the state as it is now.
        Recorder later;
        QVERIFY(c.connectStatusListener("later", later.listener()));
        QVERIFY(d->isWatching());
        QTRY_COMPARE(later.last(), Report(4, 0));
        QVERIFY(c.disconnectStatusListener("later"));
        QTRY_VERIFY(!d->isWatching());
    }

    void listenerMayNotCallBackIntoTheDispatcher()
    {
        const QString name = QStringLiteral("reentry.service");
        m_systemd->setUnit(name, unit("inactive"));
        SystemdServiceControl c = control(name);
        std::atomic<int> answered{-1};
        QVERIFY(c.connectStatusListener("self", [&](int, int) {
            const bool accepted = c.disconnectStatusListener("self") || c.connectStatusListener("other", [](int, int) {});
            answered = accepted ? 1 : 0;
        }));
        QTRY_COMPARE(answered.load(), 0);
        QVERIFY(c.disconnectStatusListener("self"));
    }

    void removedUnitReports512UntilItComesBack()
    {
        const QString name = QStringLiteral("removed.service");
        m_systemd->setUnit(name, unit("active"));
        SystemdServiceControl c = control(name);
        Recorder recorder;
        QVERIFY(c.connectStatusListener("removed", recorder.listener()));
        QTRY_COMPARE(recorder.last(), Report(4, 0));

        m_systemd->removeUnitFile(name);
        QTRY_COMPARE(recorder.last(), Report(512, 0));
        QVERIFY(!c.isInstalled());
        QCOMPARE(c.currentState(), -1);

        m_systemd->setUnit(name, unit("inactive"));
        QTRY_COMPARE(recorder.last(), Report(1, 0));
        QVERIFY(c.disconnectStatusListener("removed"));
    }

    void unreachableBusIsUnknownWithoutHanging()
    {
        const QString nowhere = QStringLiteral("unix:path=%1/no-bus-here").arg(m_dir.path());
        SystemdServiceControl c(QStringLiteral("nobus.service"), nowhere);
        QVERIFY(!c.isInstalled());
        QCOMPARE(c.currentState(), -1);
        c.startLocalService();
        c.stopLocalService();

        Recorder recorder;
        QVERIFY(c.connectStatusListener("nobus", recorder.listener()));
        QTRY_COMPARE(recorder.last(), Report(-1, 0));
        QVERIFY(c.disconnectStatusListener("nobus"));
        QTRY_VERIFY(!ServiceStatusDispatcher::forService(nowhere, QStringLiteral("nobus.service"))->isWatching());
    }

    void systemdMissingOrSilentIsUnknown()
    {
        const QString name = QStringLiteral("absent.service");
        m_systemd->setUnit(name, unit("active"));
        SystemdServiceControl c = control(name);
        Recorder recorder;
        QVERIFY(c.connectStatusListener("absent", recorder.listener()));
        QTRY_COMPARE(recorder.last(), Report(4, 0));

        m_systemd->setPresent(false);
        QVERIFY(!c.isInstalled());
        QCOMPARE(c.currentState(), -1);
        QTRY_COMPARE(recorder.last(), Report(-1, 0));
        m_systemd->setPresent(true);
        QTRY_COMPARE(recorder.last(), Report(4, 0));

        // A systemd that takes the calls but never answers: each call gives up.
        m_systemd->setStalling(true);
        QCOMPARE(c.currentState(), -1);
        QTRY_COMPARE(recorder.last(), Report(-1, 0));
        m_systemd->setStalling(false);
        QTRY_COMPARE(recorder.last(), Report(4, 0));
        QVERIFY(c.disconnectStatusListener("absent"));
    }

    void startAndStopOnlyFromTheMatchingState()
    {
        const QString name = QStringLiteral("jobs.service");
        SystemdServiceControl c = control(name);
        // The call expected comes last: the one refused before it would have
        // reached the stand-in first.
        const auto onlyCall = [&](const char *method) {
            QTRY_VERIFY(!m_systemd->jobCalls().isEmpty()
                        && m_systemd->jobCalls().last().method == QString::fromLatin1(method));
            const QVector<SystemdStandIn::Call> calls = m_systemd->jobCalls();
            QCOMPARE(calls.size(), 1);
            QCOMPARE(calls[0].method, QString::fromLatin1(method));
            QCOMPARE(calls[0].arguments, (QStringList{name, QStringLiteral("replace")}));
            QVERIFY(calls[0].interactiveAuthorization);
        };

        m_systemd->clearCalls();
        m_systemd->setUnit(name, unit("inactive"));
        c.stopLocalService();
        c.startLocalService();
        onlyCall("StartUnit");

        m_systemd->clearCalls();
        m_systemd->setUnit(name, unit("active"));
        c.startLocalService();
        c.stopLocalService();
        onlyCall("StopUnit");

        m_systemd->clearCalls();
        for (const char *pending : {"activating", "deactivating"}) {
            m_systemd->setUnit(name, unit(pending));
            c.startLocalService();
            c.stopLocalService();
        }
        m_systemd->removeUnitFile(name);
        c.startLocalService();
        // A start that is due follows those that were not.
        m_systemd->setUnit(name, unit("inactive"));
        c.startLocalService();
        onlyCall("StartUnit");
    }

    void unitNameComesFromTheEnvironment()
    {
        const QByteArray saved = qgetenv(SystemdServiceControl::UnitVariable);
        qunsetenv(SystemdServiceControl::UnitVariable);
        QCOMPARE(SystemdServiceControl::unitFromEnvironment(), QStringLiteral("quorix-backend.service"));
        qputenv(SystemdServiceControl::UnitVariable, "lab-backend");
        QCOMPARE(SystemdServiceControl::unitFromEnvironment(), QStringLiteral("lab-backend.service"));
        qputenv(SystemdServiceControl::UnitVariable, "lab-backend.service");
        QCOMPARE(SystemdServiceControl().unitName(), QStringLiteral("lab-backend.service"));
        if (saved.isNull())
            qunsetenv(SystemdServiceControl::UnitVariable);
        else
            qputenv(SystemdServiceControl::UnitVariable, saved);
        QVERIFY(dynamic_cast<SystemdServiceControl *>(LocalServiceControl::instance()));
    }
};

QTEST_GUILESS_MAIN(TestService)
#include "tst_service.moc"
