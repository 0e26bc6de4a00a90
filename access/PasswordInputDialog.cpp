#include "PasswordInputDialog.h"
#include "ui_PasswordInputDialog.h"

#include "AccessControl.h"

#include <QMessageBox>

PasswordInputDialog::PasswordInputDialog(AccessControl *access, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::PasswordInputDialog>()), m_access(access)
{
    ui->setupUi(this);
}

PasswordInputDialog::~PasswordInputDialog() = default;

int PasswordInputDialog::update_and_exec(QString mission)
{
    m_acceptedPassword.clear();
    ui->label_Mission->setText(mission);
    ui->lineEdit_Password->clear();
    ui->lineEdit_Password->setFocus();
    return exec();
}

void PasswordInputDialog::on_pushButton_Ok_clicked()
{
    const QString password = ui->lineEdit_Password->text();
    if (password.isEmpty()) {
        QMessageBox::warning(this, tr("Warning"), tr("Please enter the password for this controller."));
        retry();
        return;
    }
    int err = 0;
    if (m_access && m_access->verifyPassword(password, &err)) {
        m_acceptedPassword = password;
        accept();
        return;
    }
    if (err == AccessControl::WrongPassword || err == AccessControl::InvalidPassword)
        QMessageBox::warning(this, tr("Warning"), tr("The password is incorrect."));
    else
        QMessageBox::warning(this, tr("Warning"), tr("Failed to verify password."));
    retry();
}

void PasswordInputDialog::on_pushButton_Cancel_clicked()
{
    reject();
}

void PasswordInputDialog::retry()
{
    ui->lineEdit_Password->clear();
    ui->lineEdit_Password->setFocus();
}
