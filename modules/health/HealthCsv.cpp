#include "HealthCsv.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QTime>

#include <cmath>

namespace Health {

namespace {

constexpr int FieldCount = 11;
constexpr int OldFieldCount = 10;   // before frames_dropped
constexpr int TimeLength = 23; // yyyy-MM-ddThh:mm:ss.zzz

QByteArray quoted(const QByteArray &text)
{
    if (text.indexOf(',') < 0 && text.indexOf('"') < 0 && text.indexOf('\r') < 0 && text.indexOf('\n') < 0)
        return text;
    QByteArray out = "\"";
    out += QByteArray(text).replace("\"", "\"\"");
    out += '"';
    return out;
}

QByteArray number(qint64 value)
{
    return value < 0 ? QByteArray() : QByteArray::number(value);
}

// Splits one record into its fields. False when a quote is left open or
// stray text follows a closing quote.
bool splitFields(const QByteArray &line, QList<QByteArray> *fields)
{
    QByteArray record = line;
    if (record.endsWith('\n'))
        record.chop(1);
    if (record.endsWith('\r'))
        record.chop(1);
    const int n = record.size();
    int i = 0;
    while (true) {
        QByteArray field;
        if (i < n && record.at(i) == '"') {
            ++i;
            bool closed = false;
            while (i < n) {
                const char c = record.at(i++);
                if (c != '"') {
                    field += c;
                } else if (i < n && record.at(i) == '"') {
                    field += '"';
                    ++i;
                } else {
                    closed = true;
                    break;
                }
            }
            if (!closed || (i < n && record.at(i) != ','))
                return false;
        } else {
            const int comma = record.indexOf(',', i);
            const int end = comma < 0 ? n : comma;
            field = record.mid(i, end - i);
            if (field.contains('"'))
                return false;
            i = end;
        }
        fields->append(field);
        if (fields->size() > FieldCount)
            return false;
        if (i >= n)
            return true;
        ++i; // the comma
        if (i == n) {
            fields->append(QByteArray());
            return true;
        }
    }
}

int digits(const QByteArray &text, int from, int count, bool *ok)
{
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        const char c = text.at(i);
        if (c < '0' || c > '9') {
            *ok = false;
            return 0;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

double parseFrequency(const QByteArray &field)
{
    if (field.isEmpty() || field.at(0) < '0' || field.at(0) > '9')
        return -1.0;
    bool ok = false;
    const double v = field.toDouble(&ok);
    return ok && std::isfinite(v) && v >= 0.0 ? v : -1.0;
}

} // namespace

QByteArray csvHeader()
{
    return QByteArrayLiteral("time,kind,state,frequency_hz,bodies,markers,frames_lost,data_lines,rays,text,frames_dropped\n");
}

QByteArray csvTime(qint64 msecsSinceEpoch)
{
    // The C locale: the system's might write other digits.
    return QLocale::c()
        .toString(QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, Qt::LocalTime), QStringLiteral("yyyy-MM-ddThh:mm:ss.zzz"))
        .toLatin1();
}

bool parseCsvTime(const QByteArray &text, qint64 *msecsSinceEpoch)
{
    if (text.size() != TimeLength || text.at(4) != '-' || text.at(7) != '-' || text.at(10) != 'T' || text.at(13) != ':'
        || text.at(16) != ':' || text.at(19) != '.')
        return false;
    bool ok = true;
    const QDate date(digits(text, 0, 4, &ok), digits(text, 5, 2, &ok), digits(text, 8, 2, &ok));
    const QTime time(digits(text, 11, 2, &ok), digits(text, 14, 2, &ok), digits(text, 17, 2, &ok),
                     digits(text, 20, 3, &ok));
    if (!ok || !date.isValid() || !time.isValid())
        return false;
    const QDateTime at(date, time, Qt::LocalTime);
    if (!at.isValid())
        return false;
    if (msecsSinceEpoch)
        *msecsSinceEpoch = at.toMSecsSinceEpoch();
    return true;
}

QByteArray csvRow(const HealthSample &s)
{
    QByteArray rays;
    for (int i = 0; i < s.rays.size(); ++i) {
        if (i > 0)
            rays += ' ';
        const CameraRays &r = s.rays.at(i);
        rays += (r.seen < 0 ? QByteArray("-") : QByteArray::number(r.seen)) + '/'
            + (r.used < 0 ? QByteArray("-") : QByteArray::number(r.used));
    }
    QByteArray row = csvTime(s.msecsSinceEpoch);
    row += ",sample,";
    row += quoted(s.state);
    row += ',';
    // QByteArray::number ignores the locale: always '.'.
    if (s.frequency >= 0.0 && std::isfinite(s.frequency))
        row += QByteArray::number(s.frequency, 'f', 2);
    row += ',' + number(s.bodies) + ',' + number(s.markers) + ',' + number(s.framesLost) + ','
        + number(s.dataLines) + ',' + rays + ",," + number(s.framesDropped) + '\n';
    return row;
}

QByteArray csvRow(const HealthEvent &e)
{
    return csvTime(e.msecsSinceEpoch) + ",event,,,,,,,," + quoted(e.text.toUtf8()) + ",\n";
}

bool parseCsvRow(const QByteArray &line, HealthSample *sample, HealthEvent *event, bool *isEvent)
{
    QList<QByteArray> f;
    if (!splitFields(line, &f) || (f.size() != FieldCount && f.size() != OldFieldCount))
        return false;
    qint64 ms = 0;
    if (!parseCsvTime(f.at(0), &ms))
        return false;
    if (f.at(1) == "event") {
        if (event) {
            event->msecsSinceEpoch = ms;
            event->text = QString::fromUtf8(f.at(9));
        }
        if (isEvent)
            *isEvent = true;
        return true;
    }
    if (f.at(1) != "sample")
        return false;
    if (sample) {
        HealthSample s;
        s.msecsSinceEpoch = ms;
        s.state = isKnownState(f.at(2)) ? f.at(2) : QByteArray();
        s.frequency = parseFrequency(f.at(3));
        s.bodies = parseCount(f.at(4));
        s.markers = parseCount(f.at(5));
        s.framesLost = parseLongCount(f.at(6));
        s.dataLines = parseCount(f.at(7));
        s.rays = parseRays(f.at(8), ' ');
        if (f.size() == FieldCount)
            s.framesDropped = parseLongCount(f.at(10));
        *sample = s;
    }
    if (isEvent)
        *isEvent = false;
    return true;
}

} // namespace Health
