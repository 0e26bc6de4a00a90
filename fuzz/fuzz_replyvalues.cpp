// Reply matching and value parsing: the reply to a get is checked against the
// echo of its parameter and its value words are read. Any reply gives a known
// result code; a well-formed reply gives back exactly the values it carries,
// however its item numbers are padded.
#include "FuzzCheck.h"
#include "ReplyMatcher.h"
#include "ReplyValues.h"

#include <QByteArray>
#include <QList>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

struct Input
{
    const uint8_t *data;
    size_t size;
    size_t at = 0;

    uint8_t byte() { return at < size ? data[at++] : 0; }
    template <typename T>
    T value()
    {
        T v{};
        uint8_t raw[sizeof(T)] = {};
        for (uint8_t &b : raw)
            b = byte();
        std::memcpy(&v, raw, sizeof v);
        return v;
    }
};

bool knownCode(int r)
{
    return r == 0 || r == -31 || r == -32 || r == -33 || r == -34;
}

// Arbitrary reply against arbitrary echo.
void anyReply(const QByteArray &reply, const QByteArray &expected, int count)
{
    const int offset = ReplyMatcher::valueOffset(reply.constData(), expected.constData());
    FUZZ_CHECK(offset >= -1 && offset <= int(std::strlen(reply.constData())));

    char text[IOManager::BufferSize];
    int r = ReplyValues::interpret(reply.constData(), expected.constData(), IOManager::GetString, text, 1);
    FUZZ_CHECK(r == 0 || r == -32);
    if (r == 0) {
        FUZZ_CHECK(std::strlen(text) < size_t(IOManager::BufferSize));
        FUZZ_CHECK(std::strncmp(text, reply.constData() + offset, std::strlen(text)) == 0);
    }
    int ints[8];
    double doubles[8];
    bool bools[8];
    FUZZ_CHECK(knownCode(ReplyValues::interpret(reply.constData(), expected.constData(), IOManager::GetInts, ints, count)));
    FUZZ_CHECK(knownCode(
        ReplyValues::interpret(reply.constData(), expected.constData(), IOManager::GetDoubles, doubles, count)));
    FUZZ_CHECK(knownCode(ReplyValues::interpret(reply.constData(), expected.constData(), IOManager::GetBool, bools, count)));
    FUZZ_CHECK(knownCode(ReplyValues::interpret(reply.constData(), expected.constData(), IOManager::Set, nullptr, 0)));
}

// A parameter of one to three words; item numbers ("c3") are echoed padded.
void parameter(Input &in, QByteArray *asked, QByteArray *echoed)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz_";
    const int words = 1 + in.byte() % 3;
    for (int w = 0; w < words; ++w) {
        if (w > 0) {
            asked->append(' ');
            echoed->append(' ');
        }
        const int length = 1 + in.byte() % 6;
        QByteArray word;
        for (int i = 0; i < length; ++i)
            word.append(letters[in.byte() % (sizeof letters - 1)]);
        asked->append(word);
        echoed->append(word);
        if (in.byte() & 1) {
            const QByteArray number = QByteArray::number(in.byte() % 100);
            asked->append(number);
            // Only a word of letters is an item number; others compare as they stand.
            const int padding = word.contains('_') ? 0 : in.byte() % 3;
            echoed->append(QByteArray(padding, '0') + number);
        }
    }
}

void wellFormedReply(Input &in)
{
    QByteArray asked;
    QByteArray echoed;
    parameter(in, &asked, &echoed);
    const QByteArray expected = "quorix2 set " + asked + " ";
    const QByteArray echo = "quorix2 set " + echoed;
    const int count = 1 + in.byte() % 6;

    QList<int> ints;
    QList<double> doubles;
    QList<bool> bools;
    QByteArray intText = echo;
    QByteArray doubleText = echo;
    QByteArray boolText = echo;
    for (int i = 0; i < count; ++i) {
        ints.append(in.value<int>());
        double d = in.value<double>();
        if (!std::isfinite(d))
            d = 0.5;
        doubles.append(d);
        bools.append(in.byte() & 1);
        intText += ' ' + QByteArray::number(ints.last());
        doubleText += ' ' + QByteArray::number(doubles.last(), 'g', 17);
        boolText += bools.last() ? " yes" : " no";
    }

    int gotInts[8] = {};
    FUZZ_CHECK(ReplyValues::interpret(intText.constData(), expected.constData(), IOManager::GetInts, gotInts, count) == 0);
    double gotDoubles[8] = {};
    FUZZ_CHECK(ReplyValues::interpret(doubleText.constData(), expected.constData(), IOManager::GetDoubles, gotDoubles,
                                      count) == 0);
    bool gotBools[8] = {};
    FUZZ_CHECK(ReplyValues::interpret(boolText.constData(), expected.constData(), IOManager::GetBool, gotBools, count) == 0);
    for (int i = 0; i < count; ++i) {
        FUZZ_CHECK(gotInts[i] == ints[i]);
        FUZZ_CHECK(gotDoubles[i] == doubles[i]);
        FUZZ_CHECK(gotBools[i] == bools[i]);
    }
    // One value more or less than asked for is a wrong count, not a value.
    FUZZ_CHECK(ReplyValues::interpret(intText.constData(), expected.constData(), IOManager::GetInts, gotInts,
                                      count + 1) == -33);
    // Another parameter's reply is no answer.
    const QByteArray other = "quorix2 set " + asked + "x 1";
    FUZZ_CHECK(ReplyValues::interpret(other.constData(), expected.constData(), IOManager::GetInts, gotInts, 1) == -32);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Reply and echo as the channel holds them: zero-terminated, within its buffers.
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const int split = bytes.indexOf('\n');
    QByteArray reply = split < 0 ? bytes : bytes.left(split);
    QByteArray expected = split < 0 ? QByteArray("quorix2 set system version ") : bytes.mid(split + 1);
    reply = reply.left(IOManager::BufferSize - 1);
    expected = expected.left(IOManager::BufferSize - 1);
    anyReply(QByteArray(reply.constData()), QByteArray(expected.constData()), 1 + int(size % 8));

    Input in{data, size};
    wellFormedReply(in);
    return 0;
}
