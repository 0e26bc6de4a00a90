#pragma once

#include "Requester.h"

#include <QToolBar>

class IOManager;
class ShortStatusWidget;

class TrackingStatusBar : public QToolBar, public Requester
{
    Q_OBJECT

public:
    explicit TrackingStatusBar(IOManager *channel, QWidget *parent = nullptr);
    ~TrackingStatusBar() override;

    ShortStatusWidget *statusWidget() const { return m_widget; }
    void detach();
    // The counts the latest poll read; -1 when it read none.
    int readBodies() const;
    int readMarkers() const;

    int onData(const char *key, const char *line) override;
    void onMeasurementStarted() override;
    void onMeasurementStopped() override;

public slots:
    void update_status(const char *status);

private:
    IOManager *m_channel;
    ShortStatusWidget *m_widget;
    bool m_attached = true;
    bool m_read = false;
};
