#pragma once

#include "SystemInfoBundle.h"

#include <QDate>
#include <QDateTime>
#include <QDialog>
#include <QString>

#include <functional>

class ExportConfiguration;
class IOManager;
struct BackendVersions;

namespace Ui {
class ExportSystemInformationClass;
}

// Bundles the configuration report and the chosen recent event logs of the
// connected Controller into one text file for support.
class ExportSystemInformation : public QDialog
{
    Q_OBJECT

public:
    enum Column { ColFile, ColVersion, ColSize, ColPath, ColBytes, ColDate, ColumnCount };

    ExportSystemInformation(QWidget *parent, IOManager *channel, const BackendVersions *versions);
    ~ExportSystemInformation() override;

    void setFrontendUpdateDate(const QDateTime &date);
    void setFrontendVersion(const QString &text);
    // Offers the flight recorder's last minutes as an entry of their own; the
    // source is asked when the file is written.
    void setRecordingSource(std::function<QByteArray()> source);

    // Clears the progress and status, lists the logs from disk, presets the
    // days and runs the dialog.
    int update_and_exec();
    // The listing and presets alone (update_and_exec runs it first).
    void fill();

    // Writes the bundle to path (the save steps after the file is chosen).
    bool exportTo(const QString &path);
    QString proposedPath() const;
    qint64 estimatedSize() const;
    int daysValue() const;
    int daysMaximum() const;

    // Connected explicitly, not by name.
    void on_spinBox_valueChanged(int value);
    void on_horizontalSlider_valueChanged(int value);
    void on_tableWidget_itemSelectionChanged();
    void on_pushButton_selectAll_clicked();
    void on_pushButton_clear_clicked();
    void on_pushButton_save_clicked();
    void on_pushButton_exit_clicked();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool stepDays(int key);
    void setDays(int value);
    void selectDays(int value);
    void updateEstimate();
    QVector<SystemInfoBundle::LogFile> selectedLogs() const;
    QString controllerHostName();

    Ui::ExportSystemInformationClass *ui;
    IOManager *m_channel;
    ExportConfiguration *m_report;
    QVector<SystemInfoBundle::LogFile> m_logs;  // one per table row
    QString m_logRoot;
    QString m_hostName;  // the Controller's, as fill() read it
    QDate m_today;
    bool m_updating = false;
    std::function<QByteArray()> m_recordingSource;
};
