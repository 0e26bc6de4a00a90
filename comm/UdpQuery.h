#pragma once

#include "Socket.h"

#include <QByteArray>

#include <functional>

// One question to one Controller over UDP, as the connect dialog, the
// connection-lost box and the start-up check ask it, and the wait for its
// answer that the UDP channel shares: the answer is the first datagram that
// does not plainly answer another command. A late answer to an earlier
// question, or the second copy of a doubled one, is passed over and the wait
// goes on. On the GUI thread the wait is cut into short slices with the
// window's events processed between them (user input waits).
namespace UdpQuery {

enum Result { Answered = 0, NoAnswer = -1, SendFailed = -2, ReceiveFailed = -3 };

// Datagrams of this size or more are no Controller's reply.
constexpr int MaxReply = 300;
// A wait on the GUI thread gives the window its events this often.
constexpr long SliceUs = 10000;

struct Waiting
{
    qint64 timeoutUs = 0;
    // Datagrams from other senders are passed over.
    const Socket::Source *only = nullptr;
    // False: any datagram answers (a channel that listens only).
    bool passOverOthers = true;
    // True: a datagram that fills the buffer answers, cut; else it is passed over.
    bool truncatedAnswers = false;
    // Asked before every receive; false ends the wait (NoAnswer).
    std::function<bool()> keepWaiting;
    // Between the slices on the GUI thread; by default the events are processed.
    std::function<void()> betweenSlices;
};

// The answer's length in `buffer` (terminated), or NoAnswer or ReceiveFailed.
// `passedOver` counts the datagrams that answered another command.
int awaitAnswer(Socket &socket, const char *command, char *buffer, int size, const Waiting &waiting,
                unsigned *senderIp = nullptr, unsigned short *senderPort = nullptr, int *passedOver = nullptr);

int ask(Socket &socket, unsigned ip, unsigned short port, const char *command, long timeoutUs, QByteArray *reply);

} // namespace UdpQuery
