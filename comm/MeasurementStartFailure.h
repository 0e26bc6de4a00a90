#pragma once

#include <QString>

// The Controller refuses a measurement start with "quorix2 err -99 "1" "V"";
// V tells why. Users get a readable text instead of the raw reply.
class MeasurementStartFailure
{
public:
    // The text for the box "Command Failed", or a null string when the reply
    // carries no measurement-start refusal.
    static QString text(const char *reply);
    // The text and, below it, what the user can do about it; null as text().
    static QString boxText(const char *reply);
};
