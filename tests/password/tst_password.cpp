#include "AccessControl.h"
#include "AccessControlDialog.h"
#include "PasswordInputDialog.h"
#include "IOManagerUdpTcp.h"
#include "ModalWatcher.h"
#include "ScriptedResponder.h"
#include "TestHome.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <functional>

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

// Runs fn once a modal widget of type T is the active one; the dialogs under
// test run their own event loops, so the test acts from inside them.
// The watches of the running test function; one whose widget never came is
// ended by cleanup(), so that it cannot act in a later test.
QList<QPointer<QTimer>> &modalWatches()
{
    static QList<QPointer<QTimer>> watches;
    return watches;
}

void endModalWatches()
{
    for (const QPointer<QTimer> &timer : modalWatches())
        delete timer.data();
    modalWatches().clear();
}

template <class T>
void whenModal(std::function<void(T *)> fn)
{
    auto *timer = new QTimer;
    modalWatches().append(timer);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, fn] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            fn(w);
        }
    });
    timer->start();
}

template <class T>
T *child(QWidget *dialog, const char *name)
{
    return dialog->findChild<T *>(QString::fromLatin1(name));
}

void typeInto(QWidget *dialog, const char *field, const QString &text)
{
    auto *edit = child<QLineEdit>(dialog, field);
    edit->setFocus();
    QTest::keyClicks(edit, text);
}

void click(QWidget *dialog, const char *button)
{
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

// The message boxes seen, without the dialogs under test.
QList<ModalWatcher::Seen> boxes(const ModalWatcher &watcher)
{
    QList<ModalWatcher::Seen> out;
    const auto all = watcher.seen();
    for (const auto &s : all)
        if (s.title != "Access Control")
            out << s;
    return out;
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

    // The main channel, over TCP to the same stand-in Controller, which
    // reports its own address so the checks go to it over UDP.
    std::unique_ptr<IOManagerUdpTcp> mainChannel()
    {
        controller().on("quorix2 get system ethernet_ip",
                        Action::reply("quorix2 set system ethernet_ip " + m_address.toLatin1() + " 255.0.0.0"));
        auto channel = std::make_unique<IOManagerUdpTcp>(nullptr);
        unsigned short dataPort = 0;
        if (channel->connectController(m_address.toLatin1().constData(), Port, &dataPort) != 0)
            return nullptr;
        return channel;
    }
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
        endModalWatches();
        m_responder->stop();
        m_responder.reset();
        m_home.reset();
    }

    void passwordRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("letters digits") << "Abc123" << true;
        QTest::newRow("all symbols") << "a_b-c+d.e/f" << true;
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
        // Suffixes without a patch number: the numbers before them count.
        QTest::newRow("v1.30-beta with password") << QByteArray("v1.30-beta") << QByteArray("secret") << true;
        QTest::newRow("v1.30rc2 with password") << QByteArray("v1.30rc2") << QByteArray("secret") << true;
        QTest::newRow("v1.30.0-beta with password") << QByteArray("v1.30.0-beta") << QByteArray("secret") << true;
        QTest::newRow("v1.23rc9 never has one") << QByteArray("v1.23rc9") << QByteArray("secret") << false;
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

    // --- the password input dialog -------------------------------------------

    void inputDialogRetriesUntilRightPassword()
    {
        scriptController("1.24.0", "secret");
        AccessControl access(ip(), 0);
        PasswordInputDialog dialog(&access);
        ModalWatcher watcher;
        watcher.answer("Access Control", ModalWatcher::Answer::leaveOpen());

        QStringList fieldAfter;
        bool openAfterWrong = false;
        whenModal<PasswordInputDialog>([&](PasswordInputDialog *d) {
            QCOMPARE(child<QLabel>(d, "label_Mission")->text(), QString("Authorize with valid password"));
            click(d, "pushButton_Ok");                       // empty field
            fieldAfter << child<QLineEdit>(d, "lineEdit_Password")->text();
            typeInto(d, "lineEdit_Password", "guess");
            QTest::keyClick(child<QLineEdit>(d, "lineEdit_Password"), Qt::Key_Return);
            fieldAfter << child<QLineEdit>(d, "lineEdit_Password")->text();
            openAfterWrong = d->isVisible();
            typeInto(d, "lineEdit_Password", "se#cret");     // breaks the rule: nothing sent
            click(d, "pushButton_Ok");
            typeInto(d, "lineEdit_Password", "secret");
            click(d, "pushButton_Ok");
        });
        QCOMPARE(dialog.update_and_exec("Authorize with valid password"), int(QDialog::Accepted));
        QCOMPARE(dialog.acceptedPassword(), QString("secret"));
        QVERIFY(openAfterWrong);
        QCOMPARE(fieldAfter, QStringList({"", ""}));

        QStringList texts;
        for (const auto &box : watcher.seen())
            if (box.title == "Warning")
                texts << box.text;
        QCOMPARE(texts, QStringList({"Please enter the password for this controller.",
                                     "The password is incorrect.", "The password is incorrect."}));
        QVERIFY(!controller().commands().contains("quorix2 get config is_frontend_password 'se#cret'"));
    }

    void inputDialogCancelLeavesNoPassword()
    {
        // The Controller answers the version but not the candidate.
        controller().on("quorix2 get system protocol_version",
                        Action::reply("quorix2 set system protocol_version 1.24.0"));
        AccessControl access(ip(), 0);
        PasswordInputDialog dialog(&access);
        ModalWatcher watcher;
        watcher.answer("Access Control", ModalWatcher::Answer::leaveOpen());
        whenModal<PasswordInputDialog>([&](PasswordInputDialog *d) {
            typeInto(d, "lineEdit_Password", "secret");
            click(d, "pushButton_Ok");
            click(d, "pushButton_Cancel");
        });
        QCOMPARE(dialog.update_and_exec("QUORIX4: Authorize with valid password"), int(QDialog::Rejected));
        QVERIFY(dialog.acceptedPassword().isEmpty());
        QCOMPARE(boxes(watcher).size(), 1);
        QCOMPARE(boxes(watcher)[0].text, QString("Failed to verify password."));
    }

    // --- the access control dialog -------------------------------------------

    void settingsDialogStartsFromControllerState_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("okEnabled");
        QTest::newRow("password set") << QByteArray("1.24.0") << QByteArray("secret") << true << false;
        QTest::newRow("no password") << QByteArray("1.24.0") << QByteArray() << false << false;
        QTest::newRow("protocol 1.23") << QByteArray("1.23.0") << QByteArray("secret") << false << false;
    }
    void settingsDialogStartsFromControllerState()
    {
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, password);
        QFETCH(bool, checked);
        QFETCH(bool, okEnabled);
        scriptController(version, password);
        auto channel = mainChannel();
        QVERIFY(channel);
        AccessControlDialog dialog(channel.get());
        ModalWatcher watcher;
        watcher.answer("Access Control", ModalWatcher::Answer::leaveOpen());

        bool seenChecked = !checked, seenOk = !okEnabled, newEnabled = !checked, repeatEnabled = true;
        whenModal<AccessControlDialog>([&](AccessControlDialog *d) {
            seenChecked = child<QCheckBox>(d, "checkBox_EnableAccessControl")->isChecked();
            seenOk = child<QPushButton>(d, "pushButton_Ok")->isEnabled();
            newEnabled = child<QLineEdit>(d, "lineEdit_NewPassword")->isEnabled();
            repeatEnabled = child<QLineEdit>(d, "lineEdit_NewPasswordRepeat")->isEnabled();
            QTest::keyClick(d, Qt::Key_Escape);
        });
        QCOMPARE(dialog.update_and_exec(), int(QDialog::Rejected));
        QCOMPARE(seenChecked, checked);
        QCOMPARE(seenOk, okEnabled);
        QCOMPARE(newEnabled, checked);
        QVERIFY(!repeatEnabled);
        QVERIFY(boxes(watcher).isEmpty());
    }

    void settingsDialogChecksTypedPasswords()
    {
        scriptController("1.24.0", "secret");
        auto channel = mainChannel();
        QVERIFY(channel);
        AccessControlDialog dialog(channel.get());
        ModalWatcher watcher;
        watcher.answer("Access Control", ModalWatcher::Answer::leaveOpen());

        struct Step { QString status; QString statusStyle; QString fieldStyle; bool repeat; bool ok; };
        QList<Step> steps;
        whenModal<AccessControlDialog>([&](AccessControlDialog *d) {
            auto snap = [&] {
                steps << Step{child<QLabel>(d, "label_Status")->text(),
                              child<QLabel>(d, "label_Status")->styleSheet(),
                              child<QLineEdit>(d, "lineEdit_NewPassword")->styleSheet(),
                              child<QLineEdit>(d, "lineEdit_NewPasswordRepeat")->isEnabled(),
                              child<QPushButton>(d, "pushButton_Ok")->isEnabled()};
            };
            auto *fresh = child<QLineEdit>(d, "lineEdit_NewPassword");
            typeInto(d, "lineEdit_NewPassword", "ab c");
            snap();                                              // 0: blank
            fresh->clear();
            typeInto(d, "lineEdit_NewPassword", "ab#c");
            snap();                                              // 1: hash
            fresh->clear();
            typeInto(d, "lineEdit_NewPassword", "n3w/pw");
            snap();                                              // 2: valid
            typeInto(d, "lineEdit_NewPasswordRepeat", "n3w/p");
            snap();                                              // 3: not yet
            typeInto(d, "lineEdit_NewPasswordRepeat", "w");
            snap();                                              // 4: matching
            typeInto(d, "lineEdit_NewPassword", "x");            // editing again clears the repeat
            snap();                                              // 5
            click(d, "pushButton_Cancel");
        });
        QCOMPARE(dialog.update_and_exec(), int(QDialog::Rejected));
        QCOMPARE(steps.size(), 6);
        for (int i : {0, 1}) {
            QCOMPARE(steps[i].status, QString("Invalid password!"));
            QCOMPARE(steps[i].statusStyle, QString("color: red;"));
            QCOMPARE(steps[i].fieldStyle, QString("background-color: red;"));
            QVERIFY(!steps[i].repeat);
            QVERIFY(!steps[i].ok);
        }
        QCOMPARE(steps[2].status, QString());
        QCOMPARE(steps[2].fieldStyle, QString());
        QVERIFY(steps[2].repeat);
        QCOMPARE(steps[3].status, QString("Not matching."));
        QVERIFY(!steps[3].ok);
        QCOMPARE(steps[4].status, QString("Matching."));
        QCOMPARE(steps[4].statusStyle, QString("color: green;"));
        QVERIFY(steps[4].ok);
        QVERIFY(!steps[5].ok);
        QCOMPARE(commandsOver(controller(), ScriptedResponder::Transport::Tcp),
                 QList<QByteArray>{"quorix2 get system ethernet_ip"});
    }

    void settingsDialogRemovesPassword()
    {
        scriptController("1.24.0", "secret");
        auto channel = mainChannel();
        QVERIFY(channel);
        AccessControlDialog dialog(channel.get());
        ModalWatcher watcher;
        watcher.answer("Access Control", ModalWatcher::Answer::leaveOpen());
        watcher.answer("Password Settings", ModalWatcher::Answer::press(QMessageBox::Ok));

        bool fieldsDisabled = false, okEnabled = false;
        QString mission;
        whenModal<AccessControlDialog>([&](AccessControlDialog *d) {
            QTest::mouseClick(child<QCheckBox>(d, "checkBox_EnableAccessControl"), Qt::LeftButton);
            fieldsDisabled = !child<QLineEdit>(d, "lineEdit_NewPassword")->isEnabled()
                && !child<QLineEdit>(d, "lineEdit_NewPasswordRepeat")->isEnabled();
            okEnabled = child<QPushButton>(d, "pushButton_Ok")->isEnabled();
            whenModal<PasswordInputDialog>([&](PasswordInputDialog *p) {
                mission = child<QLabel>(p, "label_Mission")->text();
                typeInto(p, "lineEdit_Password", "secret");
                click(p, "pushButton_Ok");
            });
            click(d, "pushButton_Ok");
        });
        QCOMPARE(dialog.update_and_exec(), int(QDialog::Accepted));
        QVERIFY(fieldsDisabled);
        QVERIFY(okEnabled);
        QCOMPARE(mission, QString("Authorize with current password"));
        QCOMPARE(commandsOver(controller(), ScriptedResponder::Transport::Tcp),
                 QList<QByteArray>({"quorix2 get system ethernet_ip",
                                    "quorix2 set config new_frontend_password none"}));
        QCOMPARE(boxes(watcher).size(), 1);
        QCOMPARE(boxes(watcher)[0].title, QString("Password Settings"));
    }

    void settingsDialogSetsFirstPasswordAfterConfirmation()
    {
        scriptController("1.24.0", QByteArray());
        auto channel = mainChannel();
        QVERIFY(channel);
        AccessControlDialog dialog(channel.get());
        ModalWatcher watcher;
        watcher.answer("Access Control", ModalWatcher::Answer::leaveOpen());
        watcher.answerOnce("Password Settings", ModalWatcher::Answer::press(QMessageBox::Cancel));
        watcher.answer("Password Settings", ModalWatcher::Answer::press(QMessageBox::Ok));

        bool openAfterCancel = false, boxEnabledAfterCancel = false;
        whenModal<AccessControlDialog>([&](AccessControlDialog *d) {
            QTest::mouseClick(child<QCheckBox>(d, "checkBox_EnableAccessControl"), Qt::LeftButton);
            typeInto(d, "lineEdit_NewPassword", "Fresh_1");
            typeInto(d, "lineEdit_NewPasswordRepeat", "Fresh_1");
            click(d, "pushButton_Ok");                           // confirmation cancelled
            openAfterCancel = d->isVisible();
            boxEnabledAfterCancel = child<QCheckBox>(d, "checkBox_EnableAccessControl")->isEnabled();
            click(d, "pushButton_Ok");
        });
        QCOMPARE(dialog.update_and_exec(), int(QDialog::Accepted));
        QVERIFY(openAfterCancel);
        QVERIFY(boxEnabledAfterCancel);
        QCOMPARE(commandsOver(controller(), ScriptedResponder::Transport::Tcp),
                 QList<QByteArray>({"quorix2 get system ethernet_ip",
                                    "quorix2 set config new_frontend_password 'Fresh_1'"}));
    }

    // A refused set must not close the dialog as if it had worked.
    void settingsDialogReportsRefusedChange_data()
    {
        QTest::addColumn<QByteArray>("password");
        QTest::newRow("no password yet") << QByteArray();
        QTest::newRow("changing a password") << QByteArray("secret");
    }
    void settingsDialogReportsRefusedChange()
    {
        QFETCH(QByteArray, password);
        scriptController("1.24.0", password);
        controller().onPrefix("quorix2 set config new_frontend_password",
                              Action::reply("quorix2 err not_permitted"));
        auto channel = mainChannel();
        QVERIFY(channel);
        AccessControlDialog dialog(channel.get());
        ModalWatcher watcher;
        watcher.answer("Access Control", ModalWatcher::Answer::leaveOpen());
        watcher.answer("Password Settings", ModalWatcher::Answer::press(QMessageBox::Ok));

        bool openAfterFailure = false, boxEnabled = false;
        whenModal<AccessControlDialog>([&](AccessControlDialog *d) {
            if (!child<QCheckBox>(d, "checkBox_EnableAccessControl")->isChecked())
                QTest::mouseClick(child<QCheckBox>(d, "checkBox_EnableAccessControl"), Qt::LeftButton);
            typeInto(d, "lineEdit_NewPassword", "Fresh_1");
            typeInto(d, "lineEdit_NewPasswordRepeat", "Fresh_1");
            whenModal<PasswordInputDialog>([&](PasswordInputDialog *p) {
                typeInto(p, "lineEdit_Password", "secret");
                click(p, "pushButton_Ok");
            });
            click(d, "pushButton_Ok");
            openAfterFailure = d->isVisible();
            boxEnabled = child<QCheckBox>(d, "checkBox_EnableAccessControl")->isEnabled();
            click(d, "pushButton_Cancel");
        });
        QCOMPARE(dialog.update_and_exec(), int(QDialog::Rejected));
        QVERIFY(openAfterFailure);
        QVERIFY(boxEnabled);
        QStringList errors;
        for (const auto &box : watcher.seen())
            if (box.title == "Error")
                errors << box.text;
        QCOMPARE(errors, QStringList{"Failed to update password settings on controller."});
    }

    void settingsDialogNeedsController_data()
    {
        QTest::addColumn<QByteArray>("ethernetIp");     // reply to the address query
        QTest::addColumn<bool>("udpAnswers");
        QTest::addColumn<QString>("text");
        QTest::newRow("address query refused") << QByteArray("quorix2 err unknown") << true
                                               << "Controller unreachable.";
        QTest::newRow("zero address") << QByteArray("quorix2 set system ethernet_ip 0.0.0.0 x") << true
                                      << "Controller unreachable.";
        QTest::newRow("garbled address") << QByteArray("quorix2 set system ethernet_ip 300.1.2.3 x") << true
                                         << "Controller unreachable.";
        QTest::newRow("password check unanswered") << QByteArray() << false
            << "Failed to obtain authentication requirements.\nNo connection to Controller?";
    }
    void settingsDialogNeedsController()
    {
        QFETCH(QByteArray, ethernetIp);
        QFETCH(bool, udpAnswers);
        QFETCH(QString, text);
        if (udpAnswers)
            scriptController("1.24.0", "secret");
        auto channel = mainChannel();
        QVERIFY(channel);
        if (!ethernetIp.isEmpty())
            controller().on("quorix2 get system ethernet_ip", Action::reply(ethernetIp));
        AccessControlDialog dialog(channel.get());
        ModalWatcher watcher;
        QCOMPARE(dialog.update_and_exec(), 0);
        QCOMPARE(watcher.seen().size(), 1);
        QCOMPARE(watcher.seen()[0].title, QString("Error"));
        QCOMPARE(watcher.seen()[0].text, text);
    }
};

QTEST_MAIN(TestPassword)
#include "tst_password.moc"
