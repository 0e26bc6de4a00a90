#pragma once

#include "SimMotion.h"
#include "SimParameterModel.h"
#include "SimScenario.h"
#include "SimStreamGenerator.h"

#include <QByteArray>
#include <QHostAddress>
#include <QSet>
#include <QStringList>
#include <QVector>

// The Controller's behaviour without any network: takes one command text
// (without its terminating zero) and gives the reply, keeps the measurement
// state, the message queue and the output channels, and moves the targets
// from frame to frame. The server owns one and calls it from its thread only.
class SimCommandProcessor
{
public:
    struct Reply
    {
        QByteArray text;
        int delayMs = 0;   // the reply is sent this much later
        int offlineMs = 0; // after the reply the Controller is silent this long
    };

    struct Destination
    {
        QString channel;
        QHostAddress address;
        quint16 port = 0;
        SimStreamGenerator::Outputs outputs;
    };

    SimCommandProcessor();

    void setScenario(const SimScenario& scenario);
    const SimScenario& scenario() const { return m_scenario; }
    const SimParameterModel& model() const { return m_model; }

    // The address the Controller's network settings report ("system net").
    void setLocalAddress(const QHostAddress& address);
    // The port the measurement stream leaves from.
    void setSenderPort(quint16 port) { m_senderPort = port; }

    Reply handle(const QByteArray& command, const QHostAddress& peer);
    static QByteArray errorReply(int code, const QString& text);

    void queueMessage(const QString& text);
    int queuedMessages() const { return m_messages.size(); }

    bool measuring() const { return m_active == QLatin1String("mea"); }
    QString activeState() const { return m_active; }
    // Back to the state after power-on (measurement stopped, outputs unrouted).
    void restart();

    // Stream: advance to the next frame and say where it goes. With the
    // scenario's frame loss the frame numbers skip now and then.
    void advanceFrame();
    // n frames were due but are not sent (a busy Controller): their numbers are skipped.
    void loseFrames(qint64 n);
    // Frames lost in the last whole second of the measurement's clock.
    int framesLost() const { return m_lostBefore.count; }
    quint32 frameNumber() const { return m_frame; }
    double timeStamp() const;
    const SimMotion& motion() const { return m_motion; }
    // Channels with a destination; recomputed only after output settings change.
    const QVector<Destination>& destinations() const;

private:
    Reply get(const QStringList& words, const QHostAddress& peer);
    Reply set(const QStringList& words, const QHostAddress& peer);
    Reply action(const QStringList& words);
    bool dynamicValue(const QStringList& words, const QString& key, const QHostAddress& peer, QString* value, Reply* error);
    Reply setOutputNet(const QString& key, const QStringList& value, const QHostAddress& peer);
    void updateRoomCalibration();
    QString denial() const;
    bool mayChangePassword(const QHostAddress& peer) const;
    int rays(int camera, bool used) const;
    // Frames to skip after the sent frame number frame (0: none), from the scenario's frame loss.
    int injectedGap(quint32 frame) const;
    // Books frame (sent or lost) into its second of the measurement's clock.
    void noteFrame(quint32 frame, bool lost);

    struct LostInSecond
    {
        qint64 second = 0;
        int count = 0;
    };

    SimScenario m_scenario;
    SimParameterModel m_model;
    SimMotion m_motion;
    QStringList m_messages;
    QString m_active = QStringLiteral("none");
    QString m_password;
    // Peers (IPv4, host order) that presented the password since it was last
    // set; only they may change or remove it.
    QSet<quint32> m_authorized;
    QHostAddress m_local = QHostAddress(QHostAddress::LocalHost);
    quint16 m_senderPort = 0;
    quint32 m_frame = 0;
    double m_startOfDay = 0.0;
    LostInSecond m_lostNow;    // the second the last frame fell in
    LostInSecond m_lostBefore; // the whole second before it
    mutable QVector<Destination> m_destinations;
    mutable bool m_destinationsDirty = true;
};
