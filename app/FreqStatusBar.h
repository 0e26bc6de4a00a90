#pragma once

#include "BackendVersions.h"
#include "Requester.h"

#include <QToolBar>

class IOManager;
class QLineEdit;
class QTimer;

// Output frequency of the tracking and the lost-frames warning colour.
class FreqStatusBar : public QToolBar, public Requester
{
    Q_OBJECT

public:
    FreqStatusBar(IOManager *channel, const BackendVersions &versions, QWidget *parent = nullptr);
    ~FreqStatusBar() override;

    QLineEdit *field() const { return m_field; }
    bool isTimerActive() const;
    void detach();
    // The latest frequency read while measuring, and the lost frames the latest poll read; -1 when unknown.
    double readFrequency() const { return m_hertz; }
    int readFramesLost() const { return m_framesLost; }

    int onData(const char *key, const char *line) override;
    void onMeasurementStarted() override;
    void onMeasurementStopped() override;

    static QString frequencyText(double hertz);
    static QString lostFramesStyle(bool queried, int lostFrames);

public slots:
    void update_status(const char *status);
    void showFrequency();

private:
    IOManager *m_channel;
    QLineEdit *m_field;
    QTimer *m_timer;
    bool m_waiting = false;
    bool m_frequencySupported;
    bool m_lostFramesSupported;
    bool m_attached = true;
    double m_hertz = -1.0;
    int m_framesLost = -1;
};
