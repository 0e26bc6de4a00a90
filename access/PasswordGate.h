#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

class QWidget;

// The one password check that every way to a Controller passes before the
// command channel opens: a Controller protected by a front-end password is
// reached only with that password.
class PasswordGate
{
    Q_DECLARE_TR_FUNCTIONS(PasswordGate)

public:
    // True when the front end may connect: the Controller has no password,
    // the start password fits, or the user typed one the Controller accepted.
    // A Controller that cannot say whether it has one is not passed: the user
    // is told, and the answer is false. port 0 is the Controller's default.
    static bool pass(unsigned ip, unsigned short port, const QByteArray &startPassword, const QString &mission,
                     QWidget *parent);
};
