#pragma once

#include "MessageReceiver.h"
#include "Requester.h"

#include <QList>
#include <QPair>
#include <QVector>
#include <QToolBar>

class CamStatusWidget;
class IOManager;

// One field per camera with its marker counts, rebuilt when the camera count changes.
class CamStatusBar : public QToolBar, public Requester, public MessageReceiver
{
    Q_OBJECT

public:
    CamStatusBar(IOManager *channel, QWidget *mainWindow);
    ~CamStatusBar() override;

    QList<CamStatusWidget *> widgets() const { return m_widgets; }
    void detach();
    // Seen and used rays per camera as the latest poll read them; empty when it read none.
    QVector<QPair<int, int>> readRays() const;

    int onData(const char *key, const char *line) override;
    void onMeasurementStarted() override;
    void onMeasurementStopped() override;
    int receive(int type, const char *sender, const char *text) override;

public slots:
    void update_status(const char *status);

private:
    void build(int cameras);
    void queryCameraCount();

    IOManager *m_channel;
    QWidget *m_mainWindow;
    QList<CamStatusWidget *> m_widgets;
    int m_cameras = -1;
    bool m_attached = true;
    bool m_refreshed = false;
    static int s_calls;
};
