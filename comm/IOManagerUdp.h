#pragma once

#include "CommandChannel.h"
#include "Socket.h"

// A light channel: each command is one UDP datagram answered by one datagram.
// Used for scans and quick checks; it has no data stream and shows no boxes.
class IOManagerUdp : public CommandChannel
{
public:
    explicit IOManagerUdp(MessageBoxProvider *provider = nullptr);
    ~IOManagerUdp() override;

    int setTarget(unsigned ip, unsigned short port);
    void setReceiveOnly(bool receiveOnly);
    int sendOnly(const char *command);
    void lastSender(unsigned *ip, unsigned short *port) const;

    int addDataListener(const char *key, Requester *requester) override;
    int removeDataListener(const char *key, Requester *requester) override;
    int exchange(char *reply, const char *command) override;

    // Datagrams passed over because they answered another command.
    int staleReplies() const { return m_staleReplies; }

private:
    long timeoutUs() const;

    Socket m_socket;
    bool m_ready = false;
    unsigned m_targetIp = 0;
    unsigned short m_targetPort = 0;
    unsigned m_senderIp = 0;
    unsigned short m_senderPort = 0;
    bool m_receiveOnly = false;
    int m_staleReplies = 0;
};
