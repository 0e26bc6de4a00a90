#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class AccessControl;

namespace Ui {
class PasswordInputDialog;
}

// Asks for the Controller's front-end password and checks it before it
// accepts. The password is never stored beyond the accepted text.
class PasswordInputDialog : public QDialog
{
    Q_OBJECT

public:
    PasswordInputDialog(AccessControl *access, QWidget *parent = nullptr);
    ~PasswordInputDialog() override;

    // Shows the mission text, runs modally and returns the dialog result.
    int update_and_exec(QString mission);
    // Empty unless a check succeeded.
    QString acceptedPassword() const { return m_acceptedPassword; }

private slots:
    void on_pushButton_Ok_clicked();
    void on_pushButton_Cancel_clicked();

private:
    void retry();

    std::unique_ptr<Ui::PasswordInputDialog> ui;
    AccessControl *m_access;
    QString m_acceptedPassword;
};
