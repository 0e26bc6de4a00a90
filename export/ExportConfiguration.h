#pragma once

#include "ReportSection.h"
#include "ReportWriter.h"

#include <QDateTime>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class IOManager;
class QIODevice;
class QWidget;
struct BackendVersions;

// The configuration report: a plain-text account of everything the front end
// can learn about the connected Controller and itself, written for support.
// Every value is one query; a failed query becomes an error line in place of
// its value and the report goes on. The program without a window
// (quorix4-report) and the dialogs use this same class.
class ExportConfiguration : public QObject, private ReportSection
{
    Q_OBJECT

public:
    ExportConfiguration(IOManager *channel, QWidget *parent, const BackendVersions *versions);

    // Writes the whole report to path. False when nothing could be written
    // (the reason is in errorText(); with a window it is also shown in a box).
    // The file is replaced in one step when the report is complete; without
    // removeExisting the new file starts with the old one's content.
    bool exportReport(const QString &path, bool showResultBox, bool removeExisting);
    // Writes the report into device, an open file named name; no boxes.
    bool writeReport(QIODevice *device, const QString &name);

    // "v4.0.1 ...|module;version|...": the front end, then its loaded modules.
    void setFrontendVersion(const QString &text) { m_frontendVersion = text; }
    void setFrontendUpdateDate(const QDateTime &date) { m_frontendUpdate = date; }
    QString frontendVersion() const { return m_frontendVersion; }
    // For a report written without the front end's window: the front end's
    // path in place of this program's, and lines that say why the loaded
    // modules are not listed.
    void setInstallationPath(const QString &path) { m_installationPath = path; }
    void setFrontendModulesNote(const QStringList &lines) { m_modulesNote = lines; }

    QString errorText() const { return m_error; }
    int commandsSent() const { return m_out.commandsSent(); }
    int linesLost() const { return m_out.linesLost(); }
    int countsCapped() const { return m_out.countsCapped(); }

    // A marker line is centred in 80 characters filled with "*".
    static QString markerLine(const QString &text);
    static QString openFailedText(const QString &path, const QString &reason);

private:
    void showBox(bool warning, const QString &text);

    void writeOverview();
    void writeCameraTable();
    void readCustomCalibration();
    QString calibrationCell(const QString &kind, const QString &b);
    void writeCalibratedBodies();
    void writeVersionInfo();
    void writeFrontendModules();
    void writeBackendModules();
    void writeControllerSettings();
    void writeNetworkInformation();
    void writeConfiguration();
    void writeHardwareInfo();
    void writeCascade();

    IOManager *m_channel;
    QPointer<QWidget> m_parent;
    const BackendVersions *m_versions;
    ReportWriter m_writer; // m_out (the section's reference) refers to it
    QString m_frontendVersion;
    QDateTime m_frontendUpdate;
    QString m_installationPath;
    QStringList m_modulesNote;
    QString m_error;
    QMap<QString, bool> m_customCalibrated; // target library name -> custom calibration
};
