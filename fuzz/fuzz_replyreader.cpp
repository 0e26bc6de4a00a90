// The TCP reply framing: any byte stream, cut anywhere, interleaved with the
// channel's own steps. Replies stay within their limits, and once the peer has
// answered what is owed the next command gets its own reply.
#include "FuzzCheck.h"
#include "ReplyReader.h"

#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

void checkReply(const QByteArray &reply)
{
    FUZZ_CHECK(!reply.isEmpty());
    FUZZ_CHECK(reply.size() <= ReplyReader::MaxReplyLength);
    FUZZ_CHECK(!reply.contains('\0'));
}

void feed(ReplyReader &reader, const char *text, qint64 now)
{
    reader.feed(text, int(std::strlen(text)) + 1, now);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ReplyReader reader;
    qint64 now = 0;
    size_t i = 0;
    while (i < size) {
        // Each step: one byte saying what happens, then its bytes.
        const uint8_t step = data[i++];
        const int arg = step >> 3;
        switch (step & 7) {
        case 0:
        case 1:
        case 2: {
            const size_t n = std::min<size_t>(size - i, size_t(arg) * 8 + 1);
            reader.feed(reinterpret_cast<const char *>(data + i), int(n), now);
            i += n;
            break;
        }
        case 3:
            reader.expectReply();
            break;
        case 4:
            reader.dropStale(now);
            break;
        case 5: {
            QByteArray reply;
            if (reader.takeReply(&reply, now))
                checkReply(reply);
            break;
        }
        case 6:
            if (arg == 0)
                reader.timeIsUp();
            else
                now += arg;
            break;
        case 7:
            if (arg == 0)
                reader.peerClosed();
            else
                now += arg * 100;
            break;
        }
        FUZZ_CHECK(reader.owed() >= 0);
        const int quiet = reader.msUntilQuiet(now);
        FUZZ_CHECK(quiet >= -1 && quiet <= ReplyReader::QuietGapMs);
        // Only a peer that never sent a zero byte has its replies ended by a pause.
        if (reader.framing() == ReplyReader::Framing::Silence)
            FUZZ_CHECK((quiet == -1) == !reader.hasPartialReply());
        else
            FUZZ_CHECK(quiet == -1);
    }

    // The peer ends what it was sending and answers every command still owed;
    // those late replies go nowhere, and the next command is back in step.
    feed(reader, "", now);
    for (int owed = reader.owed(); owed > 0; --owed)
        feed(reader, "quorix2 set late 1", now);
    reader.dropStale(now);
    FUZZ_CHECK(reader.owed() == 0);
    FUZZ_CHECK(!reader.hasPartialReply());

    reader.expectReply();
    feed(reader, "quorix2 ok", now);
    QByteArray reply;
    FUZZ_CHECK(reader.takeReply(&reply, now));
    FUZZ_CHECK(reply == "quorix2 ok");
    FUZZ_CHECK(reader.owed() == 0);

    // Once a zero byte has come, no pause ends a reply.
    reader.dropStale(now);
    reader.expectReply();
    const char quiet[] = "quorix2 set system version v1.2.3";
    reader.feed(quiet, 20, now);
    now += 100000;
    reader.timeIsUp();
    FUZZ_CHECK(!reader.takeReply(&reply, now));
    reader.feed(quiet + 20, int(sizeof quiet) - 20, now);
    FUZZ_CHECK(reader.takeReply(&reply, now));
    FUZZ_CHECK(reply == quiet);

    // A peer without zero bytes: its first reply ends at the time-out, the
    // next ones when it falls silent.
    ReplyReader zeroLess;
    zeroLess.expectReply();
    zeroLess.feed(quiet, int(sizeof quiet) - 1, now);
    now += 100000;
    FUZZ_CHECK(!zeroLess.takeReply(&reply, now));
    zeroLess.timeIsUp();
    FUZZ_CHECK(zeroLess.takeReply(&reply, now));
    FUZZ_CHECK(reply == quiet);
    zeroLess.expectReply();
    zeroLess.feed(quiet, int(sizeof quiet) - 1, now);
    FUZZ_CHECK(!zeroLess.takeReply(&reply, now));
    now += ReplyReader::QuietGapMs;
    FUZZ_CHECK(zeroLess.takeReply(&reply, now));
    FUZZ_CHECK(reply == quiet);
    return 0;
}
