#pragma once

#include "IOManager.h"

#include <locale.h>

// The value part of the Controller's replies: a get is answered with the echo
// "quorix2 set <parameter>" followed by the value's words. Works on the reply
// text alone, so that the channel and its tests share one reading of it.
class ReplyValues
{
public:
    // Each returns 0 when text holds exactly count words of the type, -33 for
    // another number of words, -34 for a word of the wrong form, -31 for bad
    // arguments. Values before a failing word are stored all the same.
    static int parseBools(const char *text, bool *out, int count);
    static int parseInts(const char *text, int *out, int count);
    static int parseDoubles(const char *text, double *out, int count);
    // The C locale, for numbers on the wire: '.' whatever the user's locale.
    static locale_t cLocale();

    // The result of a command of the given type from its reply: 0 or an error
    // code, and for a get the value stored at destination (count values; a
    // string destination holds IOManager::BufferSize bytes). expectedPrefix
    // is the echo a get's reply must start with.
    static int interpret(const char *reply, const char *expectedPrefix, IOManager::CallType type,
                         void *destination, int count);
};
