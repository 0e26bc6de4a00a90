#pragma once

#include "Socket.h"

#include <QByteArray>

// One question to one Controller over UDP, as the connect dialog, the
// connection-lost box and the start-up check ask it: the command goes out, and
// the answer is the first datagram from that address that does not plainly
// answer another command. A late answer to an earlier question, or the second
// copy of a doubled one, is passed over and the wait goes on. On the GUI
// thread the wait is cut into short slices with the window's events processed
// between them (user input waits).
namespace UdpQuery {

enum Result { Answered = 0, NoAnswer = -1, SendFailed = -2 };

// Datagrams of this size or more are no Controller's reply.
constexpr int MaxReply = 300;

int ask(Socket &socket, unsigned ip, unsigned short port, const char *command, long timeoutUs, QByteArray *reply);

} // namespace UdpQuery
