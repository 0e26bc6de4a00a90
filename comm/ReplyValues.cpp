#include "ReplyValues.h"

#include "ReplyMatcher.h"

#include <QByteArray>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace {

const char OkReply[] = "quorix2 ok";

// Cuts text into blank-separated words, skipping empty ones, and hands each to
// store(i, word) until it fails or count values are stored.
template <typename Store>
int parseWords(const char *text, const void *out, int count, Store store)
{
    if (!text || !out || count < 1)
        return -31;
    int words = 0;
    const char *p = text;
    while (*p) {
        while (*p == ' ')
            ++p;
        if (!*p)
            break;
        const char *end = p;
        while (*end && *end != ' ')
            ++end;
        if (words < count) {
            const QByteArray word(p, int(end - p));
            if (!store(words, word.constData()))
                return -34;
        }
        ++words;
        p = end;
    }
    return words == count ? 0 : -33;
}

} // namespace

int ReplyValues::parseBools(const char *text, bool *out, int count)
{
    return parseWords(text, out, count, [out](int i, const char *word) {
        if (std::strcmp(word, "yes") == 0)
            out[i] = true;
        else if (std::strcmp(word, "no") == 0)
            out[i] = false;
        else
            return false;
        return true;
    });
}

int ReplyValues::parseInts(const char *text, int *out, int count)
{
    return parseWords(text, out, count, [out](int i, const char *word) {
        char *end = nullptr;
        errno = 0;
        const long value = std::strtol(word, &end, 10);
        if (end == word || *end || errno == ERANGE || value < INT_MIN || value > INT_MAX)
            return false;
        out[i] = int(value);
        return true;
    });
}

locale_t ReplyValues::cLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

int ReplyValues::parseDoubles(const char *text, double *out, int count)
{
    return parseWords(text, out, count, [out](int i, const char *word) {
        // Numbers only: strtod also takes "nan", "inf" and values too large
        // for a double, none of which a Controller means by a measurement.
        // The C locale's grammar whatever the user's: '.' is the decimal point
        // on the wire, also on a German desktop.
        char *end = nullptr;
        const double value = strtod_l(word, &end, cLocale());
        if (end == word || *end || !std::isfinite(value))
            return false;
        out[i] = value;
        return true;
    });
}

int ReplyValues::interpret(const char *reply, const char *expectedPrefix, IOManager::CallType type,
                           void *destination, int count)
{
    if (type == IOManager::Raw)
        return 0;
    if (type == IOManager::Set)
        return std::strcmp(reply, OkReply) == 0 ? 0 : -34;
    const int offset = ReplyMatcher::valueOffset(reply, expectedPrefix);
    if (offset < 0)
        return -32;
    const char *value = reply + offset;
    switch (type) {
    case IOManager::GetString: {
        char *text = static_cast<char *>(destination);
        const size_t n = strnlen(value, IOManager::BufferSize - 1);
        std::memcpy(text, value, n);
        text[n] = '\0';
        return 0;
    }
    case IOManager::GetInt:
    case IOManager::GetInts:
        return parseInts(value, static_cast<int *>(destination), count);
    case IOManager::GetDouble:
    case IOManager::GetDoubles:
        return parseDoubles(value, static_cast<double *>(destination), count);
    case IOManager::GetBool:
        return parseBools(value, static_cast<bool *>(destination), count);
    default:
        return 0;
    }
}
