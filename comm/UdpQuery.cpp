#include "UdpQuery.h"

#include "ReplyMatcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

#include <algorithm>
#include <cstring>

namespace UdpQuery {

int ask(Socket &socket, unsigned ip, unsigned short port, const char *command, long timeoutUs, QByteArray *reply)
{
    if (socket.udpSendTo(command, std::strlen(command) + 1, ip, port, 200000) != Socket::Ok)
        return SendFailed;
    const QCoreApplication *app = QCoreApplication::instance();
    const bool gui = app && QThread::currentThread() == app->thread();
    QElapsedTimer clock;
    clock.start();
    const Socket::Source controller{ip, 0};
    for (;;) {
        const qint64 leftUs = timeoutUs - clock.nsecsElapsed() / 1000;
        if (leftUs <= 0)
            return NoAnswer;
        char buffer[MaxReply + 1];
        const long sliceUs = long(gui ? std::min<qint64>(leftUs, 10000) : leftUs);
        const int n = socket.udpReceive(buffer, sizeof buffer - 1, sliceUs, false, nullptr, nullptr, &controller);
        if (n == Socket::TimedOut) {
            if (gui)
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            continue;
        }
        if (n == Socket::Error)
            return NoAnswer;
        if (n < 0)
            continue;   // an oversized datagram: no Controller's reply
        buffer[n] = '\0';
        if (ReplyMatcher::owner(command, buffer) == ReplyMatcher::Owner::Other)
            continue;
        *reply = QByteArray(buffer, int(std::strlen(buffer)));
        return Answered;
    }
}

} // namespace UdpQuery
