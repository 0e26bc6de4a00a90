#pragma once

#include "AccessControl.h"
#include "TrackboxRecord.h"

#include <QDialog>
#include <QList>
#include <QModelIndex>
#include <QMutex>
#include <QPixmap>
#include <QStringList>
#include <QVariantAnimation>

#include <memory>

class QTableWidgetItem;

class TrackboxScanner;

namespace Ui {
class TrackboxSelection;
}

// "Tracking-System Selection": finds Controllers on this computer, at one
// host or on a subnet, lists them, and hands the chosen one to the connect
// dialog through its signals. Also shows and switches the back-end service
// on this computer.
class TrackboxSelection : public QDialog
{
    Q_OBJECT

public:
    enum Mode { ModeSubnet = 0, ModeHost = 1, ModeLocal = 2 };
    enum Column { ColName, ColSerial, ColAccess, ColVersion, ColIpNumerical, ColIp, ColPort, ColCascaded, ColMac, ColumnCount };
    // The Access cell shows the user's words; the Controller's own stays here.
    static constexpr int AccessRole = Qt::UserRole + 1;
    // What an access level and "accessed by" value read like in the list.
    static QString accessText(const QString &access, const QString &accessedBy);
    // Who holds a Controller, from its "accessed by" value: the address alone
    // for "ip ADDRESS", anything else as it came.
    static QString holderText(const QString &accessedBy);
    // What a user can do about a Controller another front end holds.
    static QString heldAdvice(const QString &holder);

    static constexpr unsigned short ControllerPort = AccessControl::DefaultPort;

    explicit TrackboxSelection(QWidget *parent = nullptr);
    ~TrackboxSelection() override;

    // The choices kept as preferences. While the dialog is hidden, setting
    // them starts no search.
    QString fixedHostOrIp() const;
    void setFixedHostOrIp(const QString &text);
    QString fixedSubnet() const;
    void setFixedSubnet(const QString &subnet);
    int selectionMode() const;
    void setSelectionMode(int mode);

    // Host check and single-host probe: zero or one record; failures go to
    // the message rows (and, once the user edited the field, the error label).
    QList<TrackboxRecord> probeHost(const QString &host);

    void done(int result) override;

signals:
    void trackbox_changed(const QString &hostname);
    void trackbox_changed_port(unsigned tbport);
    void trackbox_changed_ip(unsigned tbip);
    void trackbox_changed_serial(const QString &serial);
    void trackbox_changed_mac(const QString &tbmac);
    void trackboxtable_update();
    void serviceControlsUpdate(int state, int error);

public slots:
    int update_and_exec();
    int handle_trackboxtable_update();
    void onHeaderClicked(int column);
    void handleServiceControlsUpdate(int state, int error);

private slots:
    void on_pushButton_exit_clicked();
    void on_pushButton_connect_clicked();
    void on_tableWidget_doubleClicked(const QModelIndex &index);
    void on_tableWidget_itemSelectionChanged();
    void on_pushButton_update_clicked();
    void on_pushButton_StartService_clicked();
    void on_rb_specificBqc_toggled(bool checked);
    void on_rb_ConnectLocalService_toggled(bool checked);
    void on_rb_scan_toggled(bool checked);
    void on_txt_fixHostnameOrIp_textChanged(const QString &text);
    void on_txt_fixHostnameOrIp_returnPressed();
    void on_cb_fixSubnet_currentIndexChanged(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static QString rawAccess(const QTableWidgetItem *item);
    void setupTable();
    void fillSubnetList();
    void selectSubnet(const QString &text);
    // An empty text clears the label; otherwise a message already shown stays.
    void showError(const QString &text);
    void showMessages();
    int showRecords(const QList<TrackboxRecord> &records);
    void fitColumns();
    void sortTable();
    void connectRow(int row);
    void requestSearchIfShown();
    void setStatusIcon(const QPixmap &icon);
    void onPulse(const QVariant &value);

    std::unique_ptr<Ui::TrackboxSelection> ui;
    QStringList m_messages;
    bool m_messageMode = false;
    int m_sortColumn = ColName;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QMutex m_updateLock;
    TrackboxScanner *m_activeScanner = nullptr;
    bool m_serviceInstalled = false;
    QPixmap m_red;
    QPixmap m_yellow;
    QPixmap m_green;
    QVariantAnimation m_pulse{this};

    // The Controller chosen on Connect.
    QString m_chosenHost;
    unsigned m_chosenIp = 0;
    unsigned short m_chosenPort = ControllerPort;
    QString m_chosenSerial;
    QString m_chosenMac;
};
