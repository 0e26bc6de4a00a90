#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class AccessControl;
class IOManager;
class QKeyEvent;

namespace Ui {
class AccessControlDialog;
}

// Enables, changes or removes the connected Controller's front-end password.
// The setting lives on the Controller, so it affects every user of it.
class AccessControlDialog : public QDialog
{
    Q_OBJECT

public:
    AccessControlDialog(IOManager *channel, QWidget *parent = nullptr);
    ~AccessControlDialog() override;

    // Reads the current protection and runs the dialog modally. Returns the
    // dialog result, or 0 when the Controller could not be asked.
    int update_and_exec();

public slots:
    void accept() override;
    void reject() override;

private slots:
    void on_checkBox_EnableAccessControl_toggled(bool checked);
    void on_lineEdit_NewPassword_textChanged(const QString &text);
    void on_lineEdit_NewPasswordRepeat_textChanged(const QString &text);
    void on_pushButton_Ok_clicked();
    void on_pushButton_Cancel_clicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool createAccessControl();
    void showEnabledState();
    void showDisabledState();
    void setStatus(const QString &text, const QString &style);
    bool apply(const QString &currentPassword);
    void showAuthenticationFailure();

    std::unique_ptr<Ui::AccessControlDialog> ui;
    IOManager *m_channel;
    std::unique_ptr<AccessControl> m_access;
    bool m_passwordSet = false;
};
