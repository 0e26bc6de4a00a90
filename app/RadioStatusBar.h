#pragma once

#include "BackendVersions.h"

#include <QToolBar>

class IOManager;
class QLabel;
class QTimer;

// Whether the radio link to hand-held devices is up, and on which channel.
class RadioStatusBar : public QToolBar
{
    Q_OBJECT

public:
    RadioStatusBar(IOManager *channel, const BackendVersions &versions, QWidget *parent = nullptr);

    bool isPolling() const;
    bool isRadioAvailable() const { return m_available; }
    QString channelText() const;

public slots:
    void update_status();

private:
    IOManager *m_channel;
    QLabel *m_icon;
    QLabel *m_channelLabel;
    QTimer *m_timer = nullptr;
    bool m_available = false;
    int m_radioChannel = 0;
};
