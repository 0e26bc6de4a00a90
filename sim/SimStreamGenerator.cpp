#include "SimStreamGenerator.h"

#include "SimMotion.h"

#include <cmath>

namespace {

using Out = QByteArray;

constexpr long long kScale[10] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

void eol(Out* o)
{
    o->append("\r\n", 2);
}

void position(Out* o, const double* p)
{
    o->append('[');
    for (int i = 0; i < 3; ++i) {
        if (i)
            o->append(' ');
        SimStreamGenerator::appendFixed(o, p[i], 3);
    }
    o->append(']');
}

void rotation(Out* o, const double* r)
{
    o->append('[');
    for (int i = 0; i < 9; ++i) {
        if (i)
            o->append(' ');
        SimStreamGenerator::appendFixed(o, r[i], 6);
    }
    o->append(']');
}

void zeroPose(Out* o)
{
    o->append("[0.000 0.000 0.000][0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000]");
}

void key(Out* o, const char* k, long long n)
{
    o->append(k);
    SimStreamGenerator::appendInt(o, n);
}

} // namespace

void SimStreamGenerator::appendInt(QByteArray* out, long long v)
{
    char buf[24];
    int n = 0;
    unsigned long long u = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    do {
        buf[n++] = char('0' + u % 10);
        u /= 10;
    } while (u);
    if (v < 0)
        buf[n++] = '-';
    char text[24];
    for (int i = 0; i < n; ++i)
        text[i] = buf[n - 1 - i];
    out->append(text, n);
}

void SimStreamGenerator::appendFixed(QByteArray* out, double v, int decimals)
{
    if (decimals < 0)
        decimals = 0;
    if (decimals > 9)
        decimals = 9;
    if (!std::isfinite(v) || std::fabs(v) > 1e9)
        v = 0.0;
    const long long scaled = std::llround(v * double(kScale[decimals]));
    const bool negative = scaled < 0;
    const unsigned long long u = negative ? 0ULL - static_cast<unsigned long long>(scaled) : static_cast<unsigned long long>(scaled);
    const unsigned long long whole = u / static_cast<unsigned long long>(kScale[decimals]);
    unsigned long long frac = u % static_cast<unsigned long long>(kScale[decimals]);
    char buf[40];
    int n = 0;
    // Written backwards: fraction digits, the point, the whole part, the sign.
    for (int i = 0; i < decimals; ++i) {
        buf[n++] = char('0' + frac % 10);
        frac /= 10;
    }
    if (decimals > 0)
        buf[n++] = '.';
    unsigned long long w = whole;
    do {
        buf[n++] = char('0' + w % 10);
        w /= 10;
    } while (w);
    if (negative)
        buf[n++] = '-';
    char text[40];
    for (int i = 0; i < n; ++i)
        text[i] = buf[n - 1 - i];
    out->append(text, n);
}

void SimStreamGenerator::frame(quint32 frameNumber, double timeStamp, const SimMotion& m, const Outputs& o,
                               QByteArray* out) const
{
    out->clear();
    key(out, "fr ", frameNumber);
    eol(out);
    if (o.ts) {
        out->append("ts ");
        appendFixed(out, timeStamp, 6);
        eol(out);
    }
    const int nBodies = int(m.bodies.size());
    const int nGrip = int(m.gripwands.size());
    const int nTools = int(m.tools.size());
    if (o.cal6d) {
        // In the old gripwand and tool formats the calibrated count includes them.
        int cal = nBodies;
        if (o.gripwand && o.oldGripwandFormat)
            cal += nGrip;
        if (o.tool && o.oldToolFormat)
            cal += nTools;
        key(out, "6dcal ", cal);
        eol(out);
    }
    if (o.body6d) {
        key(out, "6d ", m.trackedBodies());
        for (int i = 0; i < nBodies; ++i) {
            const SimMotion::Target& b = m.bodies[size_t(i)];
            if (b.quality < 0)
                continue;
            out->append(" [");
            appendInt(out, m.bodyId(i));
            out->append(' ');
            appendFixed(out, b.quality, 3);
            out->append(']');
            position(out, b.pose.position);
            rotation(out, b.pose.rotation);
        }
        eol(out);
    }
    if (o.gripwand && nGrip > 0) {
        if (o.oldGripwandFormat)
            key(out, "6df ", nGrip);
        else {
            key(out, "6df2 ", nGrip);
            out->append(' ');
            appendInt(out, nGrip);
        }
        for (int i = 0; i < nGrip; ++i) {
            const SimMotion::Target& g = m.gripwands[size_t(i)];
            const bool tracked = g.quality >= 0;
            out->append(" [");
            appendInt(out, i);
            out->append(' ');
            appendFixed(out, tracked ? g.quality : -1.0, 3);
            if (o.oldGripwandFormat) {
                // Old button word: bits 0-3 buttons, bits 4-7 the joystick directions.
                unsigned bt = g.buttons & 0x0fu;
                if (g.controllers[0] < -0.5)
                    bt |= 1u << 5;
                else if (g.controllers[0] > 0.5)
                    bt |= 1u << 7;
                if (g.controllers[1] < -0.5)
                    bt |= 1u << 4;
                else if (g.controllers[1] > 0.5)
                    bt |= 1u << 6;
                out->append(' ');
                appendInt(out, bt);
                out->append(']');
            } else {
                out->append(" 4 2]");
            }
            if (tracked) {
                position(out, g.pose.position);
                rotation(out, g.pose.rotation);
            } else {
                zeroPose(out);
            }
            if (!o.oldGripwandFormat) {
                out->append('[');
                appendInt(out, g.buttons);
                out->append(' ');
                appendFixed(out, g.controllers[0], 2);
                out->append(' ');
                appendFixed(out, g.controllers[1], 2);
                out->append(']');
            }
        }
        eol(out);
    }
    if (o.tool && nTools > 0) {
        if (o.oldToolFormat)
            key(out, "6dmt ", nTools);
        else {
            key(out, "6dmt2 ", nTools);
            out->append(' ');
            appendInt(out, nTools);
        }
        for (int i = 0; i < nTools; ++i) {
            const SimMotion::Target& t = m.tools[size_t(i)];
            const bool tracked = t.quality >= 0;
            out->append(" [");
            appendInt(out, i);
            out->append(' ');
            appendFixed(out, tracked ? t.quality : -1.0, 3);
            out->append(' ');
            if (o.oldToolFormat) {
                appendInt(out, t.buttons & 0x0fu);
                out->append(']');
            } else {
                out->append("1 3.000]");
            }
            if (tracked) {
                position(out, t.pose.position);
                rotation(out, t.pose.rotation);
            } else {
                zeroPose(out);
            }
            if (!o.oldToolFormat) {
                out->append('[');
                appendInt(out, t.buttons & 1u);
                out->append("][0.010000 0.000000 0.000000 0.010000 0.000000 0.012000]");
            }
        }
        eol(out);
    }
    const int nRefs = int(m.references.size());
    if (o.reference && nRefs > 0) {
        int tracked = 0;
        for (const SimMotion::Target& r : m.references)
            tracked += r.quality >= 0 ? 1 : 0;
        key(out, "6dmtr ", nRefs);
        out->append(' ');
        appendInt(out, tracked);
        for (int i = 0; i < nRefs; ++i) {
            const SimMotion::Target& r = m.references[size_t(i)];
            if (r.quality < 0)
                continue;
            out->append(" [");
            appendInt(out, i);
            out->append(' ');
            appendFixed(out, r.quality, 3);
            out->append(']');
            position(out, r.pose.position);
            rotation(out, r.pose.rotation);
        }
        eol(out);
    }
    if (o.markers) {
        key(out, "3d ", long(m.markers.size()));
        for (const SimMotion::Marker& mk : m.markers) {
            out->append(" [");
            appendInt(out, mk.id);
            out->append(' ');
            appendFixed(out, mk.quality, 3);
            out->append(']');
            position(out, mk.position);
        }
        eol(out);
    }
    if (o.inertial && !m.inertials.empty()) {
        key(out, "6di ", long(m.inertials.size()));
        for (size_t i = 0; i < m.inertials.size(); ++i) {
            const SimMotion::Inertial& s = m.inertials[i];
            out->append(" [");
            appendInt(out, long(i));
            out->append(' ');
            appendInt(out, s.state);
            out->append(' ');
            appendFixed(out, s.quality, 3);
            out->append(']');
            position(out, s.pose.position);
            rotation(out, s.pose.rotation);
        }
        eol(out);
    }
    if (o.hands && !m.hands.empty()) {
        key(out, "glcal ", long(m.hands.size()));
        eol(out);
        int tracked = 0;
        for (const SimMotion::Hand& h : m.hands)
            tracked += h.quality >= 0 ? 1 : 0;
        key(out, "gl ", tracked);
        for (size_t i = 0; i < m.hands.size(); ++i) {
            const SimMotion::Hand& h = m.hands[i];
            if (h.quality < 0)
                continue;
            out->append(" [");
            appendInt(out, long(i));
            out->append(' ');
            appendFixed(out, h.quality, 3);
            out->append(' ');
            appendInt(out, h.side);
            out->append(' ');
            appendInt(out, m.fingersPerHand);
            out->append(']');
            position(out, h.pose.position);
            rotation(out, h.pose.rotation);
            for (int f = 0; f < m.fingersPerHand; ++f) {
                position(out, h.fingers[f].position);
                rotation(out, h.fingers[f].rotation);
                out->append('[');
                for (int k = 0; k < 6; ++k) {
                    if (k)
                        out->append(' ');
                    appendFixed(out, h.fingerValues[f][k], 3);
                }
                out->append(']');
            }
        }
        eol(out);
    }
}
