#pragma once

#include <QObject>
#include <QString>

#include <memory>

class FlightRecorder;
class QAction;
class QWidget;
class RecordingIndex;

// The flight recorder of a session and what the user does with it: "Save
// recording…" writes the ring to a file, "Export targets as CSV…" writes the
// targets of the ring, or of the recording being replayed, for a spreadsheet.
class RecordingActions : public QObject
{
    Q_OBJECT

public:
    // The system information's entry: the last minutes at most.
    static constexpr int SystemInfoMinutes = 10;

    explicit RecordingActions(QWidget *window);
    ~RecordingActions() override;

    // The ring that taps the live channel (none: nothing is recorded). Kept
    // here, as the window's child, it outlives the channel that calls it.
    void setRecorder(std::unique_ptr<FlightRecorder> recorder);
    // A replay: nothing is recorded, the targets come from the recording.
    void setReplay(std::shared_ptr<const RecordingIndex> recording);

    QAction *saveAction() const { return m_save; }
    QAction *exportAction() const { return m_export; }
    FlightRecorder *recorder() const { return m_recorder.get(); }
    // The file of the ring's last SystemInfoMinutes, empty when nothing is recorded.
    QByteArray systemInfoEntry() const;

    // The steps after the file is chosen; false with a box when they fail.
    bool saveTo(const QString &path);
    bool exportTo(const QString &path);

private:
    void save();
    void exportTargets();
    QString chooseFile(const QString &title, const QString &name, const QString &filter) const;

    QWidget *m_window;
    std::unique_ptr<FlightRecorder> m_recorder;
    std::shared_ptr<const RecordingIndex> m_replay;
    QAction *m_save;
    QAction *m_export;
};
