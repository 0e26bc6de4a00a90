#pragma once

#include "AccessControl.h"

#include <QByteArray>
#include <QDialog>
#include <QPixmap>
#include <QString>

#include <memory>

class Socket;
class TrackboxSelection;

namespace Ui {
class IpDialog;
}

// The start screen: checks that the remembered or chosen Controller answers,
// tells what it found, and lets the user connect, pick another Controller or
// leave. Its checks use a private UDP socket; the command channel of the run
// is opened only after this dialog has settled address and port.
class IpDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr unsigned short DefaultPort = AccessControl::DefaultPort;

    IpDialog(QWidget *parent, Qt::WindowFlags flags, const QByteArray &startPassword);
    ~IpDialog() override;

    void setTrackboxAddress(const QString &address);
    void setTrackboxModel(const QString &model);
    void setCascadedSystem(bool cascaded);
    // The splash picture behind the whole dialog. Painted by the dialog
    // itself: an application style sheet would override a palette brush.
    void setSplash(const QPixmap &splash);

    QString trackbox() const { return m_expectedHost; }
    QString trackboxMac() const { return m_mac; }
    QString trackboxSerial() const { return m_serial; }
    QString trackboxModel() const { return m_model; }
    unsigned trackboxIp() const { return m_ip; }
    unsigned short trackboxPort() const { return m_port; }
    QString trackboxAddress() const;

    // The selection dialog's persistent choices, stored as preferences.
    QString fixedHostOrIp() const;
    void setFixedHostOrIp(const QString &text);
    QString fixedSubnet() const;
    void setFixedSubnet(const QString &subnet);
    int selectionMode() const;
    void setSelectionMode(int mode);
    TrackboxSelection *selectionDialog();

    int exec_connect();

    // Progress text so far (what the user reads in the text area).
    QString progressText() const;
    // A silent check found the Controller held by another front end and said
    // so in a box: nothing is to be woken, and the user needs no second box.
    bool heldShown() const { return m_heldShown; }
    // The user cancelled the last wait for a woken Controller.
    bool wakeCancelled() const { return m_wakeCancelled; }

signals:
    void sig_connect_successful();
    void sig_connect_held();

public slots:
    int try_connect();
    int try_connect_2();
    void doWakeOnLan();
    void accept() override;
    void reject() override;
    void setTrackbox(const QString &hostName);
    void setTrackboxPort(unsigned tbport);
    void setTrackboxIp(unsigned tbip);
    void setTrackboxSerial(const QString &serial);
    void setTrackboxMac(const QString &tbmac);

private slots:
    void on_pushButton_other_clicked();
    void on_pushButton_wol_clicked();
    void on_pushButton_retry_clicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool querySystemValue(Socket &socket, unsigned ip, const char *command, const char *prefix, QString *value);
    bool queryHostName(Socket &socket, unsigned ip, QString *value);
    void appendText(const QString &text);
    void insertText(const QString &text);
    void refresh();
    static constexpr int PauseMs = 2000;
    void pause();
    void runSelectionDialog();
    void wakeOnLan(bool silentRetry);
    void showConnected(const QString &hostName);
    // A name with its serial where known, for "expected" and "found".
    static QString describeController(const QString &name, const QString &serial);
    QString namedController() const;
    void offerRetry();
    static unsigned resolve(const QString &text);
    static bool protocolAllowsAccessedBy(const QString &value);

    std::unique_ptr<Ui::IpDialog> ui;
    QString m_expectedHost;
    QString m_addressText;
    QString m_mac;
    QString m_serial;
    QString m_model;
    unsigned short m_port = DefaultPort;
    unsigned m_ip = 0;
    bool m_tryAddressFirst = true;
    bool m_acceptWhenConnected = false;
    bool m_heldShown = false;
    bool m_wakeCancelled = false;
    bool m_cascaded = false;
    QByteArray m_startPassword;
    QPixmap m_splash;
    // Until the selection dialog exists, its choices are kept here.
    TrackboxSelection *m_selection = nullptr;
    QString m_fixedHostOrIp;
    QString m_fixedSubnet;
    int m_selectionMode = 0;
};
