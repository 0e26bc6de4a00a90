#include "PasswordGate.h"

#include "AccessControl.h"
#include "PasswordInputDialog.h"

#include <QMessageBox>

bool PasswordGate::pass(unsigned ip, unsigned short port, const QByteArray &startPassword, const QString &mission,
                        QWidget *parent)
{
    AccessControl access(ip, port);
    int error = 0;
    if (access.isPasswordSet(&error)) {
        if (!startPassword.isEmpty() && access.verifyPassword(QString::fromLatin1(startPassword), nullptr))
            return true;
        PasswordInputDialog input(&access, parent);
        input.update_and_exec(mission);
        return !input.acceptedPassword().isEmpty();
    }
    if (error != 0) {
        QMessageBox::critical(parent, tr("Error"),
                              tr("Failed to obtain authentication requirements.\nNo connection to Controller?"));
        return false;
    }
    return true;
}
