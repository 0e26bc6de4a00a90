// Built as a shared library that may link nothing of the host: if a change to
// the channel's interface headers made a plug-in need host symbols, this fails
// to link.
#include "IOManager.h"
#include "MessageBoxProvider.h"
#include "MessageReceiver.h"
#include "Requester.h"

namespace {

class ProbeListener : public Requester, public MessageReceiver
{
public:
    int onData(const char *, const char *) override { return 0; }
    void onMeasurementStarted() override {}
    void onMeasurementStopped() override {}
    int receive(int, const char *, const char *) override { return 0; }
};

} // namespace

extern "C" int quorix_abi_probe(IOManager *channel, MessageBoxProvider *boxes)
{
    static ProbeListener listener;
    int value = 0;
    char text[IOManager::BufferSize];
    channel->prepareNextCommand(true, 100, true);
    channel->getInt(&value, "status number_of_bodies");
    channel->waitAsyncReply(QEventLoop::AllEvents);
    channel->getString(text, "system version");
    channel->addDataListener("6d", &listener);
    channel->removeDataListener("6d", &listener);
    channel->addRequester(&listener);
    channel->removeRequester(&listener);
    channel->addMessageReceiver("HoloviewModule", &listener);
    channel->sendMessage("standard", "Probe", 1, "hello");
    channel->removeMessageReceiver("HoloviewModule", &listener);
    boxes->openMessageBox(2, QString(), QString());
    return value;
}
