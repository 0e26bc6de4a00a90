#include "UdpQuery.h"

#include "ReplyMatcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

#include <algorithm>
#include <cstring>

namespace UdpQuery {

int awaitAnswer(Socket &socket, const char *command, char *buffer, int size, const Waiting &waiting,
                unsigned *senderIp, unsigned short *senderPort, int *passedOver)
{
    const QCoreApplication *app = QCoreApplication::instance();
    const bool gui = app && QThread::currentThread() == app->thread();
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const qint64 leftUs = waiting.timeoutUs - clock.nsecsElapsed() / 1000;
        if (leftUs <= 0 || (waiting.keepWaiting && !waiting.keepWaiting()))
            return NoAnswer;
        const long sliceUs = long(gui ? std::min<qint64>(leftUs, SliceUs) : leftUs);
        int n = socket.udpReceive(buffer, size - 1, sliceUs, false, senderIp, senderPort, waiting.only);
        if (n == Socket::TimedOut) {
            if (waiting.betweenSlices)
                waiting.betweenSlices();
            else if (gui)
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            continue;
        }
        if (n == Socket::Error)
            return ReceiveFailed;
        if (n == Socket::Truncated) {
            if (!waiting.truncatedAnswers)
                continue;
            n = size - 1;
        }
        if (n < 0)
            continue;
        buffer[n] = '\0';
        if (waiting.passOverOthers && ReplyMatcher::owner(command, buffer) == ReplyMatcher::Owner::Other) {
            if (passedOver)
                ++*passedOver;
            continue;
        }
        return n;
    }
}

int ask(Socket &socket, unsigned ip, unsigned short port, const char *command, long timeoutUs, QByteArray *reply)
{
    if (socket.udpSendTo(command, std::strlen(command) + 1, ip, port, 200000) != Socket::Ok)
        return SendFailed;
    const Socket::Source controller{ip, 0};
    Waiting waiting;
    waiting.timeoutUs = timeoutUs;
    waiting.only = &controller;
    char buffer[MaxReply + 1];
    const int n = awaitAnswer(socket, command, buffer, sizeof buffer, waiting);
    if (n < 0)
        return NoAnswer;
    *reply = QByteArray(buffer, int(std::strlen(buffer)));
    return Answered;
}

} // namespace UdpQuery
