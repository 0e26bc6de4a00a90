#pragma once

#include <QByteArray>
#include <QVector>

// Matches the reply to a get against the expected echo ("quorix2 set " + the
// parameter) word by word. Item numbers compare by value (c1 = c01 = c001) and
// quoted words compare by their inner text.
class ReplyMatcher
{
public:
    struct Word {
        int begin = 0;   // offset into the text
        int length = 0;
    };

    static constexpr int MaxWords = 200;

    // Splits at single spaces; consecutive spaces give empty words; a word that
    // begins with a quote runs to the next occurrence of that quote. Returns
    // false when the text holds more than MaxWords words.
    static bool splitWords(const char *text, QVector<Word> *words);

    // Offset of the value in reply (the first word after the matched words; the
    // text's end when there is none), or -1 when the echo does not match.
    static int valueOffset(const char *reply, const char *expected);

    static bool wordsMatch(const char *a, int aLength, const char *b, int bLength);

    // Whose reply a reply is, as far as its words tell. A get ("quorix2 get P")
    // is answered by its echo ("quorix2 set P ..."); so an echo of another
    // parameter, an echo to anything but a get, or "quorix2 ok" and
    // "quorix2 msg ..." to a get, answer some other command. Replies such as "quorix2 ok", "quorix2 err ..." and
    // "quorix2 msg ..." name no command: they belong to whichever command is
    // next in line.
    enum class Owner { This, Other, Unnamed };
    static Owner owner(const char *command, const char *reply);
};
