#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>

#include <memory>

namespace Ui {
class EndlessProgressDlgClass;
}

// Sends one wake-on-LAN packet to a Controller, then asks every 15 s for a
// connection attempt (try_to_connect) until the Controller answers
// (set_wake_successful), the user cancels, or nine attempts have been made.
class EndlessProgressDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int RetryIntervalMs = 15000;
    // The tick that ends the waiting; the ticks before it each ask for an attempt.
    static constexpr int FinalTick = 10;

    EndlessProgressDlg(QString hostName, QString addressText, unsigned ip, QString mac,
                       QWidget *parent = nullptr, bool cascadedSystem = false);
    ~EndlessProgressDlg() override;

    // How the texts name the Controller: its host name with its address in
    // brackets where known, the address alone without a host name.
    static QString controllerName(const QString &hostName, const QString &addressText, unsigned ip);

    // The waiting was ended by Cancel (or Escape), not by an answer or the time.
    bool cancelled() const { return m_cancelled; }

signals:
    void try_to_connect();

public slots:
    // Sends the packet and runs modally: 1 when connected or the time is
    // over, 0 when cancelled or the packet could not be sent.
    int update_and_exec();
    void set_wake_successful();
    void onTimer();
    void on_pushButton_cancel_clicked();
    void reject() override;

protected:
    void done(int result) override;

private:
    static QString addressOf(const QString &hostName, const QString &addressText, unsigned ip);

    std::unique_ptr<Ui::EndlessProgressDlgClass> ui;
    QString m_hostName;
    QString m_addressText;
    unsigned m_ip;
    QString m_mac;
    bool m_cascaded;
    int m_ticks = 0;
    bool m_cancelled = false;
    QTimer m_timer;
};
