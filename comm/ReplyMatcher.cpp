#include "ReplyMatcher.h"

#include <cstdio>
#include <cstring>

namespace {

bool isQuote(char c) { return c == '"' || c == '\''; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isQuoted(const char *w, int n)
{
    return n >= 2 && isQuote(w[0]) && w[n - 1] == w[0];
}

// c1 = c01 = c001: same leading letters, then digit strings of the same value.
bool sameItemNumber(const char *a, int an, const char *b, int bn)
{
    int la = 0;
    while (la < an && isLetter(a[la]))
        ++la;
    int lb = 0;
    while (lb < bn && isLetter(b[lb]))
        ++lb;
    if (la != lb || std::memcmp(a, b, la) != 0 || la == an || lb == bn)
        return false;
    for (int i = la; i < an; ++i)
        if (!isDigit(a[i]))
            return false;
    for (int i = lb; i < bn; ++i)
        if (!isDigit(b[i]))
            return false;
    while (la < an - 1 && a[la] == '0')
        ++la;
    while (lb < bn - 1 && b[lb] == '0')
        ++lb;
    return an - la == bn - lb && std::memcmp(a + la, b + lb, an - la) == 0;
}

} // namespace

bool ReplyMatcher::splitWords(const char *text, QVector<Word> *words)
{
    words->clear();
    const int n = int(std::strlen(text));
    int i = 0;
    while (i < n) {
        Word w;
        w.begin = i;
        if (isQuote(text[i])) {
            const char *close = std::strchr(text + i + 1, text[i]);
            i = close ? int(close - text) + 1 : n;
        } else {
            while (i < n && text[i] != ' ')
                ++i;
        }
        w.length = i - w.begin;
        if (words->size() == MaxWords)
            return false;
        words->append(w);
        if (i < n && text[i] == ' ')
            ++i;   // the single separator; a further blank starts an empty word
    }
    return true;
}

bool ReplyMatcher::wordsMatch(const char *a, int an, const char *b, int bn)
{
    if (an == bn && std::memcmp(a, b, an) == 0)
        return true;
    if (isQuoted(a, an) && an - 2 <= bn && std::memcmp(a + 1, b, an - 2) == 0)
        return true;
    if (isQuoted(b, bn) && bn - 2 <= an && std::memcmp(b + 1, a, bn - 2) == 0)
        return true;
    if (an > 0 && bn > 0 && !isQuote(a[0]) && !isQuote(b[0]))
        return sameItemNumber(a, an, b, bn);
    return false;
}

int ReplyMatcher::valueOffset(const char *reply, const char *expected)
{
    QVector<Word> got;
    QVector<Word> want;
    if (!splitWords(reply, &got) || !splitWords(expected, &want) || got.size() < want.size())
        return -1;
    for (int i = 0; i < want.size(); ++i) {
        if (!wordsMatch(reply + got[i].begin, got[i].length, expected + want[i].begin, want[i].length))
            return -1;
    }
    return want.size() < got.size() ? got[want.size()].begin : int(std::strlen(reply));
}

ReplyMatcher::Owner ReplyMatcher::owner(const char *command, const char *reply)
{
    static const char Get[] = "quorix2 get ";
    static const char Echo[] = "quorix2 set ";
    const bool isEcho = std::strncmp(reply, Echo, sizeof Echo - 1) == 0;
    if (std::strncmp(command, Get, sizeof Get - 1) != 0)
        return isEcho ? Owner::Other : Owner::Unnamed;
    if (!isEcho) {
        // What only a set, an action or getmsg is answered with is never a get's
        // reply; anything else (an error, or words this front end does not
        // know) may be, and is left to the get to judge.
        const bool otherKind = std::strcmp(reply, "quorix2 ok") == 0 || std::strncmp(reply, "quorix2 msg ", 12) == 0;
        return otherKind ? Owner::Other : Owner::Unnamed;
    }
    char expected[256];
    std::snprintf(expected, sizeof expected, "%s%s ", Echo, command + sizeof Get - 1);
    return valueOffset(reply, expected) >= 0 ? Owner::This : Owner::Other;
}
