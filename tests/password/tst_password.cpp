#include "AccessControl.h"
#include "IOManagerUdpTcp.h"
#include "ModalWatcher.h"
#include "ScriptedResponder.h"
#include "TestHome.h"

#include <QtTest>

using Action = ScriptedResponder::Action;
using Use = ScriptedResponder::Use;

namespace {

constexpr quint16 Port = 50105;

unsigned hostOrder(const QString &dotted)
{
    return QHostAddress(dotted).toIPv4Address();
}

QByteArray isPasswordQuery(const QByteArray &candidate)
{
    return "quorix2 get config is_frontend_password " + candidate;
}

QByteArray isPasswordReply(const QByteArray &candidate, const QByteArray &answer)
{
    return "quorix2 set config is_frontend_password " + candidate + " " + answer;
}

QList<QByteArray> commandsOver(const ScriptedResponder &r, ScriptedResponder::Transport t)
{
    QList<QByteArray> out;
    const auto all = r.received();
    for (const auto &rec : all)
        if (rec.transport == t)
            out << rec.command;
    return out;
}

}

class TestPassword : public QObject
{
    Q_OBJECT

private:
    // Each test gets its own loopback address, so a late datagram of one test
    // never answers the next.
    QString m_address;
    int m_next = 1;
    std::unique_ptr<ScriptedResponder> m_responder;
    std::unique_ptr<TestHome> m_home;

    ScriptedResponder &controller() { return *m_responder; }
    unsigned ip() const { return hostOrder(m_address); }

    // A Controller of the given protocol version; password empty means none set.
    void scriptController(const QByteArray &version, const QByteArray &password)
    {
        controller().on("quorix2 get system protocol_version",
                        Action::reply("quorix2 set system protocol_version " + version + " 2024-01-01"));
        controller().on(isPasswordQuery("none"),
                        Action::reply(isPasswordReply("none", password.isEmpty() ? "yes" : "no")));
        // The Controller echoes the candidate it was asked about.
        for (const QByteArray wrong : {"'other'", "'guess'"})
            controller().on(isPasswordQuery(wrong), Action::reply(isPasswordReply(wrong, "no")));
        if (!password.isEmpty()) {
            const QByteArray q = "'" + password + "'";
            controller().on(isPasswordQuery(q), Action::reply(isPasswordReply(q, "yes")));
        }
    }

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_address = QStringLiteral("127.0.5.%1").arg(m_next++);
        m_responder = std::make_unique<ScriptedResponder>();
        QVERIFY(m_responder->start(m_address, Port));
    }

    void cleanup()
    {
        m_responder->stop();
        m_responder.reset();
        m_home.reset();
    }

    void passwordRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("letters digits") << "Abc123" << true;
        QTest::newRow("all specials") << "a_b-c+d.e/f" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("blank") << "ab cd" << false;
        QTest::newRow("single quote") << "ab'cd" << false;
        QTest::newRow("hash") << "ab#cd" << false;
        QTest::newRow("trailing newline") << "abc\n" << false;
        QTest::newRow("umlaut") << QString::fromUtf8("pässword") << false;
    }
    void passwordRule()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(AccessControl::isValidPassword(text), valid);
    }

    void portZeroMeansControllerPort()
    {
        QCOMPARE(AccessControl(1, 0).port(), quint16(50105));
        QCOMPARE(AccessControl(1, 4711).port(), quint16(4711));
    }

    void isPasswordSetFollowsController_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<bool>("set");
        QTest::newRow("1.24 with password") << QByteArray("1.24.0") << QByteArray("secret") << true;
        QTest::newRow("1.24 without password") << QByteArray("1.24.0") << QByteArray() << false;
        QTest::newRow("2.0 with password") << QByteArray("2.0") << QByteArray("secret") << true;
        QTest::newRow("1.23 never has one") << QByteArray("1.23.9") << QByteArray("secret") << false;
        QTest::newRow("unreadable counts as old") << QByteArray("unknown") << QByteArray("secret") << false;
    }
    void isPasswordSetFollowsController()
    {
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, password);
        QFETCH(bool, set);
        scriptController(version, password);
        AccessControl access(ip(), 0);
        int err = 99;
        QCOMPARE(access.isPasswordSet(&err), set);
        QCOMPARE(err, 0);
        if (version.startsWith("1.23") || version == "unknown")
            QCOMPARE(controller().commands(), QList<QByteArray>{"quorix2 get system protocol_version"});
    }

    void protocolVersionIsReadOnce()
    {
        scriptController("1.24.0", "secret");
        AccessControl access(ip(), 0);
        QVERIFY(access.isPasswordSet());
        QVERIFY(access.isPasswordSet(nullptr));
        QVERIFY(access.verifyPassword("secret"));
        QCOMPARE(controller().commands().count("quorix2 get system protocol_version"), 1);
    }

    void controllerFailuresGiveNoAnswer()
    {
        // Silent Controller: the version cannot be read.
        controller().setDefaultAction(Action::none());
        {
            AccessControl access(ip(), 0);
            int err = 0;
            QVERIFY(!access.isPasswordSet(&err));
            QCOMPARE(err, -12);
            err = 0;
            QVERIFY(!access.verifyPassword("secret", &err));
            QCOMPARE(err, -12);
        }
        // Version read, but the password question gets a reply without the expected echo.
        controller().clearRules();
        controller().setDefaultAction(Action::reply("quorix2 ok"));
        controller().on("quorix2 get system protocol_version",
                        Action::reply("quorix2 set system protocol_version 1.24.0"));
        {
            AccessControl access(ip(), 0);
            int err = 0;
            QVERIFY(!access.isPasswordSet(&err));
            QCOMPARE(err, -12);
        }
        // An answer other than yes or no.
        controller().on(isPasswordQuery("none"), Action::reply(isPasswordReply("none", "maybe")));
        {
            AccessControl access(ip(), 0);
            int err = 0;
            QVERIFY(!access.isPasswordSet(&err));
            QCOMPARE(err, -12);
        }
    }

    void verifyPassword()
    {
        scriptController("1.24.0", "secret");
        AccessControl access(ip(), 0);
        int err = 99;
        QVERIFY(access.verifyPassword("secret", &err));
        QCOMPARE(err, 0);
        QVERIFY(!access.verifyPassword("other", &err));
        QCOMPARE(err, -21);
        QVERIFY(controller().commands().contains("quorix2 get config is_frontend_password 'secret'"));
    }

    void verifyRefusesRuleBreakersBeforeSending_data()
    {
        QTest::addColumn<QString>("candidate");
        QTest::newRow("empty") << "";
        QTest::newRow("blank") << "se cret";
        QTest::newRow("quote") << "se'cret";
        QTest::newRow("hash") << "se#cret";
    }
    void verifyRefusesRuleBreakersBeforeSending()
    {
        QFETCH(QString, candidate);
        scriptController("1.24.0", "secret");
        AccessControl access(ip(), 0);
        int err = 0;
        QVERIFY(!access.verifyPassword(candidate, &err));
        QCOMPARE(err, -22);
        QCOMPARE(controller().commands(), QList<QByteArray>{"quorix2 get system protocol_version"});
    }

    // The set goes over the main channel (TCP here), the checks over UDP.
    void changePasswordSendsSetOverMainChannel_data()
    {
        QTest::addColumn<QByteArray>("current");       // password on the Controller
        QTest::addColumn<QString>("given");            // current password handed in
        QTest::addColumn<QString>("newPassword");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("err");
        QTest::addColumn<QByteArray>("set");           // expected set command, empty: none sent
        QTest::newRow("first password") << QByteArray() << QString() << "new_one"
            << true << 0 << QByteArray("quorix2 set config new_frontend_password 'new_one'");
        QTest::newRow("change with current") << QByteArray("secret") << "secret" << "n.e/w+1"
            << true << 0 << QByteArray("quorix2 set config new_frontend_password 'n.e/w+1'");
        QTest::newRow("remove with current") << QByteArray("secret") << "secret" << QString()
            << true << 0 << QByteArray("quorix2 set config new_frontend_password none");
        QTest::newRow("wrong current") << QByteArray("secret") << "guess" << "new_one"
            << false << -21 << QByteArray();
        QTest::newRow("current breaks rule") << QByteArray("secret") << "se cret" << "new_one"
            << false << -21 << QByteArray();
        QTest::newRow("new with blank") << QByteArray() << QString() << "new one"
            << false << -22 << QByteArray();
        QTest::newRow("new with quote") << QByteArray("secret") << "secret" << "a'; x"
            << false << -22 << QByteArray();
        QTest::newRow("new with hash") << QByteArray() << QString() << "new#one"
            << false << -22 << QByteArray();
    }
    void changePasswordSendsSetOverMainChannel()
    {
        QFETCH(QByteArray, current);
        QFETCH(QString, given);
        QFETCH(QString, newPassword);
        QFETCH(bool, result);
        QFETCH(int, err);
        QFETCH(QByteArray, set);
        scriptController("1.24.0", current);

        IOManagerUdpTcp channel(nullptr);
        unsigned short dataPort = 0;
        QCOMPARE(channel.connectController(m_address.toLatin1().constData(), Port, &dataPort), 0);

        AccessControl access(ip(), 0);
        int code = 99;
        QCOMPARE(access.changePassword(newPassword, given, &channel, &code), result);
        QCOMPARE(code, err);
        const QList<QByteArray> tcp = commandsOver(controller(), ScriptedResponder::Transport::Tcp);
        QCOMPARE(tcp, set.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{set});
    }

    void changePasswordReportsRefusedSet()
    {
        scriptController("1.24.0", QByteArray());
        controller().onPrefix("quorix2 set config new_frontend_password",
                              Action::reply("quorix2 err not_permitted"));
        IOManagerUdpTcp channel(nullptr);
        unsigned short dataPort = 0;
        QCOMPARE(channel.connectController(m_address.toLatin1().constData(), Port, &dataPort), 0);
        AccessControl access(ip(), 0);
        int err = 0;
        QVERIFY(!access.changePassword("new_one", QString(), &channel, &err));
        QCOMPARE(err, -12);
    }

    void changePasswordWithoutChannelSendsNothing()
    {
        scriptController("1.24.0", QByteArray());
        AccessControl access(ip(), 0);
        int err = 0;
        QVERIFY(!access.changePassword("new_one", QString(), nullptr, &err));
        QCOMPARE(err, -12);
    }

    void changePasswordLostAnswerIsNotWrongPassword()
    {
        controller().on("quorix2 get system protocol_version",
                        Action::reply("quorix2 set system protocol_version 1.24.0"));
        controller().setDefaultAction(Action::none());
        AccessControl access(ip(), 0);
        int err = 0;
        QVERIFY(!access.changePassword("new_one", "secret", nullptr, &err));
        QCOMPARE(err, -12);
    }

    void changePasswordOnOldControllerDoesNothing()
    {
        scriptController("1.23.0", QByteArray());
        AccessControl access(ip(), 0);
        int err = 99;
        QVERIFY(!access.changePassword("new_one", QString(), nullptr, &err));
        QCOMPARE(err, 0);
        QCOMPARE(controller().commands().size(), 1);
    }
};

QTEST_MAIN(TestPassword)
#include "tst_password.moc"
