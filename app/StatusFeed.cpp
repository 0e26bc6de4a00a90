#include "StatusFeed.h"

#include "IOManager.h"
#include "LogFileName.h"
#include "StatusReadings.h"

#include <QDir>

namespace {

QByteArray number(int value)
{
    return value < 0 ? QByteArrayLiteral("-") : QByteArray::number(value);
}

} // namespace

StatusFeed::StatusFeed(IOManager *channel, QObject *parent)
    : QObject(parent)
    , m_channel(channel)
{
}

void StatusFeed::detach()
{
    m_channel = nullptr;
}

void StatusFeed::announceLogs(const QString &logDir, const QString &hostName)
{
    const QString text = QStringLiteral("logdir=%1\nhost=%2").arg(QDir::cleanPath(logDir), LogFileName::hostPart(hostName));
    send(3, text.toUtf8());
}

void StatusFeed::publish(const StatusReadings &readings)
{
    send(1, format(readings));
}

void StatusFeed::publishEvent(const QString &message)
{
    send(2, message.toUtf8());
}

void StatusFeed::announceLoss()
{
    send(4, QByteArray());
}

// Unknown values are "-": a reader must not mistake them for a count of 0.
QByteArray StatusFeed::format(const StatusReadings &readings)
{
    QByteArray text = "active=" + (readings.active.isEmpty() ? QByteArrayLiteral("-") : readings.active);
    text += ";frequency=" + (readings.frequency < 0 ? QByteArrayLiteral("-") : QByteArray::number(readings.frequency, 'f', 2));
    text += ";bodies=" + number(readings.bodies);
    text += ";markers=" + number(readings.markers);
    text += ";frames_lost=" + number(readings.framesLost);
    text += ";frames_dropped=" + number(readings.framesDropped);
    if (!readings.rays.isEmpty()) {
        text += ";rays=";
        for (int i = 0; i < readings.rays.size(); ++i) {
            if (i > 0)
                text += ',';
            text += number(readings.rays[i].first) + '/' + number(readings.rays[i].second);
        }
    }
    return text;
}

void StatusFeed::send(int type, const QByteArray &text)
{
    if (m_channel)
        m_channel->sendMessage(Channel, "Quorix2", type, text.constData());
}
