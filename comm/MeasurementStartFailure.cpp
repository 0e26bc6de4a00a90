#include "MeasurementStartFailure.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

bool isInteger(QString word, int expected)
{
    word.remove(QLatin1Char('"'));
    bool ok = false;
    const int value = word.toInt(&ok, 10);
    return ok && value == expected;
}

// V of a measurement-start refusal, or a null string.
QString reason(const char *reply)
{
    const QStringList words = QString::fromLatin1(reply).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 5)
        return QString();
    bool ok = false;
    if (words[2].toInt(&ok, 10) != -99 || !ok || !isInteger(words[3], 1))
        return QString();
    QString v = words[4];
    v.remove(QLatin1Char('"'));
    return v;
}

} // namespace

QString MeasurementStartFailure::boxText(const char *reply)
{
    const QString why = text(reply);
    if (why.isNull())
        return why;
    // The event display tells the same as the box: what helps is what to do.
    const QString next = reason(reply) == QLatin1String("0")
        ? QCoreApplication::translate("IOManager",
              "Check that the reference target is inside the tracking volume, seen by the cameras and not "
              "covered, then start the measurement again.")
        : QCoreApplication::translate("IOManager",
              "Bodies that look alike cannot be told apart: deactivate all but one of them, or change the "
              "marker layout of one, then start the measurement again.");
    return why + QLatin1String("\n\n") + next;
}

QString MeasurementStartFailure::text(const char *reply)
{
    const QString v = reason(reply);
    if (v.isNull())
        return v;
    if (v == QLatin1String("0"))
        return QCoreApplication::translate("IOManager",
            "Measurement start failed:\nReference target cannot be tracked\n(see 'Event Display' for details)");
    if (v == QLatin1String("1"))
        return QCoreApplication::translate("IOManager",
            "Measurement start failed:\nThere are 2 bodies that are equal or too similar to be tracked\n(see 'Event Display' for details)");
    return QCoreApplication::translate("IOManager",
        "Measurement start failed:\nThere are %1 bodies that are equal or too similar to be tracked\n (see 'Event Display' for details)")
        .arg(v);
}
