// The simulator's command side: a client's byte stream, cut anywhere, framed
// into commands and handled. Every reply is one reply (no zero byte inside it)
// and the stream is back in step after any input: the command that follows a
// zero byte is read exactly.
#include "FuzzCheck.h"
#include "SimCommandFramer.h"
#include "SimCommandProcessor.h"

#include <QByteArray>
#include <QHostAddress>

#include <algorithm>
#include <cstdint>

namespace {

void handle(SimCommandProcessor &processor, const QByteArray &command)
{
    const SimCommandProcessor::Reply reply = processor.handle(command, QHostAddress(QHostAddress::LocalHost));
    FUZZ_CHECK(!reply.text.isEmpty());
    FUZZ_CHECK(!reply.text.contains('\0'));
    FUZZ_CHECK(reply.delayMs >= 0 && reply.offlineMs >= 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SimCommandProcessor processor;
    SimCommandFramer framer;
    size_t i = 0;
    int commands = 0;
    while (i < size) {
        // One byte says how many of the following bytes arrive at once.
        const size_t take = std::min<size_t>(size - i - 1, size_t(data[i]) + 1);
        ++i;
        framer.append(QByteArray(reinterpret_cast<const char *>(data + i), int(take)));
        i += take;
        QByteArray command;
        for (SimCommandFramer::Result r; (r = framer.next(&command)) != SimCommandFramer::NeedMore;) {
            if (r == SimCommandFramer::TooLong) {
                FUZZ_CHECK(command.size() == SimCommandFramer::MaxCommand);
                continue;
            }
            FUZZ_CHECK(!command.isEmpty() && !command.contains('\0'));
            if (++commands <= 64)   // enough to reach any state; the rest only frames
                handle(processor, command);
        }
        FUZZ_CHECK(framer.buffered() <= SimCommandFramer::MaxCommand);
    }

    const QByteArray known = "quorix2 get system version";
    framer.append(QByteArray(1, '\0') + known + '\0');
    QByteArray command;
    QByteArray last;
    for (SimCommandFramer::Result r; (r = framer.next(&command)) != SimCommandFramer::NeedMore;)
        if (r == SimCommandFramer::Command)
            last = command;
    FUZZ_CHECK(last == known);
    FUZZ_CHECK(framer.buffered() == 0);
    handle(processor, known);
    return 0;
}
