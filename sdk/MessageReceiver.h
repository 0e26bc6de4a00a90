#pragma once

// Receiver of inter-module messages sent over the command channel's message
// bus. Shared with plug-ins: one virtual slot, nothing to link.
class MessageReceiver
{
public:
    virtual int receive(int type, const char *sender, const char *text) = 0;

protected:
    ~MessageReceiver() = default;
};
