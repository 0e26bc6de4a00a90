#pragma once

#include <QDateTime>
#include <QDialog>
#include <QString>

#include <functional>

class IOManager;
struct BackendVersions;

namespace Ui {
class ServiceDialogClass;
}

// "Service": the service ID that support asks for, the Controller's version,
// the support link, the export of system information and the guides.
class ServiceDialog : public QDialog
{
    Q_OBJECT

public:
    // Runs the system-information export. The export lives in its own library;
    // the program registers it here so that this dialog does not depend on it.
    using ExportRunner = std::function<void(QWidget *parent, IOManager *channel, BackendVersions *versions,
                                            const QDateTime &lastFrontendUpdate, const QString &versionFeAndModules)>;
    static void setExportRunner(ExportRunner runner);

    ServiceDialog(IOManager *channel, QWidget *parent, BackendVersions *versions);
    ~ServiceDialog() override;

    void setLastFeUpdateDate(const QDateTime &date);
    void setVersionFeAndModules(const QString &text);
    int update_and_exec();
    // Queries the Controller and fills the fields; update_and_exec runs this, then the dialog.
    void refresh();

    // The ID from what the Controller answered. model < 0: not answered.
    static QString serviceIdFor(int model, const QString &serial, bool syncCard0401);
    QString serviceId() const { return m_serviceId; }
    // What Copy puts on the clipboard.
    QString clipboardText() const;

    // Connected explicitly, not by name.
    void on_pushButton_ok_clicked();
    void on_pushButton_export_clicked();
    void on_pushButton_copy_clicked();

public slots:
    void processLink(const QString &link);

private:
    QString queryServiceId();
    bool hasSyncCard0401();
    void quiet();
    // Cards asked for the identifier at most; a count beyond is no real one.
    static constexpr int MaxSyncCards = 1000;

    Ui::ServiceDialogClass *ui;
    IOManager *m_channel;
    BackendVersions *m_versions;
    QDateTime m_lastFeUpdate;
    QString m_versionFeAndModules;
    QString m_serviceId = QStringLiteral("00000");
};
