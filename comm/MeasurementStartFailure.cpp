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

} // namespace

QString MeasurementStartFailure::text(const char *reply)
{
    const QStringList words = QString::fromLatin1(reply).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 5)
        return QString();
    bool ok = false;
    if (words[2].toInt(&ok, 10) != -99 || !ok || !isInteger(words[3], 1))
        return QString();
    QString v = words[4];
    v.remove(QLatin1Char('"'));
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
