#include "RecordingActions.h"

#include "FlightRecorder.h"
#include "RecordingFile.h"
#include "RecordingIndex.h"
#include "TargetCsv.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>

RecordingActions::RecordingActions(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    m_save = new QAction(tr("Save &recording…"), this);
    m_save->setObjectName(QStringLiteral("SaveRecording"));
    m_save->setStatusTip(tr("Save the last minutes of the exchange with the Controller for a replay"));
    m_save->setWhatsThis(tr("Writes what QUORIX4 exchanged with the Controller in the last minutes (commands, "
                            "replies, measurement data and events) to a file that \"quorix4 -replay FILE\" plays back"));
    m_save->setVisible(m_recorder != nullptr);
    connect(m_save, &QAction::triggered, this, &RecordingActions::save);

    m_export = new QAction(tr("Export targets as &CSV…"), this);
    m_export->setObjectName(QStringLiteral("ExportTargetsCsv"));
    m_export->setStatusTip(tr("Save the recorded targets, one row per frame and target, for a spreadsheet"));
    m_export->setWhatsThis(tr("Writes time, frame number, kind, id, quality, position and rotation of every tracked "
                              "target of the recording as CSV with '.' decimals and a header line"));
    m_export->setVisible(m_recorder != nullptr);
    connect(m_export, &QAction::triggered, this, &RecordingActions::exportTargets);
}

RecordingActions::~RecordingActions() = default;

void RecordingActions::setRecorder(std::unique_ptr<FlightRecorder> recorder)
{
    m_recorder = std::move(recorder);
    m_save->setVisible(m_recorder != nullptr);
    m_export->setVisible(m_recorder != nullptr);
}

void RecordingActions::setReplay(std::shared_ptr<const RecordingIndex> recording)
{
    m_recorder.reset();
    m_replay = std::move(recording);
    // The file being replayed is there already: only its targets are new.
    m_save->setVisible(false);
    m_export->setVisible(m_replay != nullptr);
}

QByteArray RecordingActions::systemInfoEntry() const
{
    if (!m_recorder || m_recorder->isEmpty())
        return QByteArray();
    return m_recorder->fileBytes(qint64(SystemInfoMinutes) * 60 * 1000000);
}

QString RecordingActions::chooseFile(const QString &title, const QString &name, const QString &filter) const
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    QFileDialog dialog(m_window, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.selectFile(QDir(folder).filePath(name));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

void RecordingActions::save()
{
    if (!m_recorder)
        return;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    const QString path = chooseFile(tr("Save recording"), QStringLiteral("QUORIX4_recording-%1.%2").arg(stamp, QLatin1String(RecordingFile::Suffix)),
                                    tr("QUORIX4 recordings (*.%1)").arg(QLatin1String(RecordingFile::Suffix)));
    if (!path.isEmpty())
        saveTo(path);
}

bool RecordingActions::saveTo(const QString &path)
{
    QString error;
    if (m_recorder && RecordingFile::save(path, m_recorder->fileBytes(), &error))
        return true;
    QMessageBox::warning(m_window, tr("Save recording"), error);
    return false;
}

void RecordingActions::exportTargets()
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    const QString path = chooseFile(tr("Export targets as CSV"), QStringLiteral("QUORIX4_targets-%1.csv").arg(stamp),
                                    tr("CSV files (*.csv)"));
    if (!path.isEmpty())
        exportTo(path);
}

bool RecordingActions::exportTo(const QString &path)
{
    std::shared_ptr<const RecordingIndex> recording = m_replay;
    if (!recording && m_recorder) {
        const RecordingReader::Result read = RecordingReader::read(m_recorder->fileBytes());
        recording = std::make_shared<const RecordingIndex>(read.recording);
    }
    QString error = tr("Nothing has been recorded.");
    if (recording && TargetCsv::save(path, recording->records(), recording->startUs(), &error))
        return true;
    QMessageBox::warning(m_window, tr("Export targets as CSV"), error);
    return false;
}
