#include "AccessControlDialog.h"
#include "ui_AccessControlDialog.h"

#include "AccessControl.h"
#include "IOManager.h"
#include "PasswordInputDialog.h"

#include <QKeyEvent>
#include <QMessageBox>
#include <QSignalBlocker>

#include <cstdio>

AccessControlDialog::AccessControlDialog(IOManager *channel, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::AccessControlDialog>()), m_channel(channel)
{
    ui->setupUi(this);
}

AccessControlDialog::~AccessControlDialog() = default;

bool AccessControlDialog::createAccessControl()
{
    if (m_access)
        return true;
    char value[IOManager::BufferSize] = {};
    unsigned a = 0, b = 0, c = 0, d = 0;
    char rest[IOManager::BufferSize] = {};
    const bool read = m_channel && m_channel->getString(value, "system ethernet_ip") == 0
        && std::sscanf(value, "%u.%u.%u.%u %199s", &a, &b, &c, &d, rest) >= 4
        && a <= 255 && b <= 255 && c <= 255 && d <= 255;
    const unsigned ip = read ? (a << 24 | b << 16 | c << 8 | d) : 0;
    if (ip == 0) {
        QMessageBox::critical(this, tr("Error"), tr("Controller unreachable."));
        return false;
    }
    m_access = std::make_unique<AccessControl>(ip, AccessControl::DefaultPort);
    return true;
}

int AccessControlDialog::update_and_exec()
{
    if (!createAccessControl())
        return 0;
    int err = 0;
    m_passwordSet = m_access->isPasswordSet(&err);
    if (!m_passwordSet && err != 0) {
        showAuthenticationFailure();
        return 0;
    }
    ui->checkBox_EnableAccessControl->setEnabled(true);
    if (m_passwordSet)
        showEnabledState();
    else
        showDisabledState();
    return exec();
}

void AccessControlDialog::showEnabledState()
{
    const QSignalBlocker blockBox(ui->checkBox_EnableAccessControl);
    const QSignalBlocker blockNew(ui->lineEdit_NewPassword);
    const QSignalBlocker blockRepeat(ui->lineEdit_NewPasswordRepeat);
    ui->checkBox_EnableAccessControl->setChecked(true);
    ui->label_NewPassword->setEnabled(true);
    ui->label_NewPasswordRepeat->setEnabled(true);
    ui->lineEdit_NewPassword->setEnabled(true);
    ui->lineEdit_NewPassword->clear();
    ui->lineEdit_NewPassword->setStyleSheet(QString());
    ui->lineEdit_NewPassword->setFocus();
    ui->lineEdit_NewPasswordRepeat->clear();
    ui->lineEdit_NewPasswordRepeat->setEnabled(false);
    // Until both fields match there is nothing to set; with empty fields OK
    // would otherwise remove the protection the user just asked for.
    ui->pushButton_Ok->setEnabled(false);
    setStatus(QString(), QString());
}

void AccessControlDialog::showDisabledState()
{
    const QSignalBlocker blockBox(ui->checkBox_EnableAccessControl);
    const QSignalBlocker blockNew(ui->lineEdit_NewPassword);
    const QSignalBlocker blockRepeat(ui->lineEdit_NewPasswordRepeat);
    ui->checkBox_EnableAccessControl->setChecked(false);
    ui->label_NewPassword->setEnabled(false);
    ui->label_NewPasswordRepeat->setEnabled(false);
    ui->lineEdit_NewPassword->clear();
    ui->lineEdit_NewPassword->setStyleSheet(QString());
    ui->lineEdit_NewPassword->setEnabled(false);
    ui->lineEdit_NewPasswordRepeat->clear();
    ui->lineEdit_NewPasswordRepeat->setEnabled(false);
    // OK here means "remove the password", so only when there is one.
    ui->pushButton_Ok->setEnabled(m_passwordSet);
    if (m_passwordSet)
        ui->pushButton_Ok->setFocus();
    setStatus(QString(), QString());
}

void AccessControlDialog::setStatus(const QString &text, const QString &style)
{
    ui->label_Status->setText(text);
    ui->label_Status->setStyleSheet(style);
}

void AccessControlDialog::on_checkBox_EnableAccessControl_toggled(bool checked)
{
    if (checked)
        showEnabledState();
    else
        showDisabledState();
}

void AccessControlDialog::on_lineEdit_NewPassword_textChanged(const QString &text)
{
    {
        const QSignalBlocker blockRepeat(ui->lineEdit_NewPasswordRepeat);
        ui->lineEdit_NewPasswordRepeat->clear();
    }
    ui->lineEdit_NewPasswordRepeat->setEnabled(false);
    ui->pushButton_Ok->setEnabled(false);
    if (!text.isEmpty() && !AccessControl::isValidPassword(text)) {
        ui->lineEdit_NewPassword->setStyleSheet(QStringLiteral("background-color: red;"));
        setStatus(tr("Invalid password!"), QStringLiteral("color: red;"));
        return;
    }
    ui->lineEdit_NewPassword->setStyleSheet(QString());
    setStatus(QString(), QString());
    ui->lineEdit_NewPasswordRepeat->setEnabled(!text.isEmpty());
}

void AccessControlDialog::on_lineEdit_NewPasswordRepeat_textChanged(const QString &text)
{
    const QString newPassword = ui->lineEdit_NewPassword->text();
    if (AccessControl::isValidPassword(newPassword) && text == newPassword) {
        setStatus(tr("Matching."), QStringLiteral("color: green;"));
        ui->pushButton_Ok->setEnabled(true);
        ui->pushButton_Ok->setFocus();
    } else {
        setStatus(tr("Not matching."), QString());
        ui->pushButton_Ok->setEnabled(false);
    }
}

void AccessControlDialog::on_pushButton_Ok_clicked()
{
    const QMessageBox::StandardButton answer = QMessageBox::warning(
        this, tr("Password Settings"),
        tr("Changing the Controller's password will not only affect your profile but global Controller settings.\n\nContinue?"),
        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
    if (answer != QMessageBox::Ok)
        return;
    ui->checkBox_EnableAccessControl->setEnabled(false);
    accept();
}

void AccessControlDialog::on_pushButton_Cancel_clicked()
{
    reject();
}

void AccessControlDialog::accept()
{
    bool done = false;
    int err = 0;
    const bool passwordSet = m_access && m_access->isPasswordSet(&err);
    if (passwordSet) {
        PasswordInputDialog input(m_access.get(), this);
        input.update_and_exec(tr("Authorize with current password"));
        const QString current = input.acceptedPassword();
        // A cancelled input leaves the dialog open; a failed change is reported
        // rather than closing as if it had worked.
        if (!current.isEmpty())
            done = apply(current);
    } else if (!m_access || err != 0) {
        showAuthenticationFailure();
    } else {
        done = apply(QString());
    }
    if (done) {
        QDialog::accept();
        return;
    }
    // Still open: the user must be able to change the choice again.
    ui->checkBox_EnableAccessControl->setEnabled(true);
}

bool AccessControlDialog::apply(const QString &currentPassword)
{
    const QString newPassword =
        ui->checkBox_EnableAccessControl->isChecked() ? ui->lineEdit_NewPassword->text() : QString();
    if (m_access->changePassword(newPassword, currentPassword, m_channel, nullptr))
        return true;
    QMessageBox::critical(this, tr("Error"), tr("Failed to update password settings on controller."));
    return false;
}

void AccessControlDialog::showAuthenticationFailure()
{
    QMessageBox::critical(this, tr("Error"),
                          tr("Failed to obtain authentication requirements.\nNo connection to Controller?"));
}

void AccessControlDialog::reject()
{
    ui->checkBox_EnableAccessControl->setEnabled(true);
    QDialog::reject();
}

void AccessControlDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}
