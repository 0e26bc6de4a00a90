#pragma once

#include <QByteArray>

class SimMotion;

// Writes one measurement frame as the text of one datagram: the lines "fr",
// "ts", "6dcal", "6d", "6df2" (or "6df"), "6dmt2" (or "6dmt"), "6dmtr", "3d",
// "6di", "glcal" and "gl", each ended by CR LF, as far as the outputs ask.
// Numbers are written by hand (fixed point) because printf-style formatting
// of some thousand numbers per frame would cost more than everything else.
class SimStreamGenerator
{
public:
    struct Outputs
    {
        bool ts = true;
        bool cal6d = true;
        bool body6d = true;
        bool gripwand = true;   // "6df2", or "6df" with oldGripwandFormat
        bool tool = true;       // "6dmt2", or "6dmt" with oldToolFormat
        bool reference = true;  // "6dmtr"
        bool markers = true;    // "3d"
        bool inertial = true;   // "6di"
        bool hands = true;      // "glcal" and "gl"
        bool oldGripwandFormat = false;
        bool oldToolFormat = false;
    };

    // Replaces out with the frame's text.
    void frame(quint32 frameNumber, double timeStamp, const SimMotion& motion, const Outputs& outputs,
               QByteArray* out) const;

    // Fixed-point text of v with the given number of decimals (0 … 9).
    static void appendFixed(QByteArray* out, double v, int decimals);
    static void appendInt(QByteArray* out, long long v);
};
