#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class IOManager;
struct StatusReadings;

// Hands modules what the status poll and the event display already have, on
// the message channel "TrackingHealthModule", so that a module that records
// the system's state never asks the Controller again for it:
//   type 1: one status round, "active=mea;frequency=59.94;bodies=2;…;frames_dropped=0"
//   type 2: one event message as the event display shows it
//   type 3: where the event logs live, "logdir=PATH\nhost=HOSTPART"
//   type 4: the connection to the Controller was lost (no text); the modules
//           are detached next
class StatusFeed : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *Channel = "TrackingHealthModule";

    explicit StatusFeed(IOManager *channel, QObject *parent = nullptr);

    void detach();
    void announceLogs(const QString &logDir, const QString &hostName);
    void publish(const StatusReadings &readings);
    void publishEvent(const QString &message);
    void announceLoss();

    static QByteArray format(const StatusReadings &readings);

private:
    void send(int type, const QByteArray &text);

    IOManager *m_channel;
};
