#include "EventSeverity.h"

#include <QRegularExpression>

namespace EventSeverity {

Level of(const QString &message)
{
    // Whole words or their stems, so that "terror" or "unfailing" are no alarm.
    static const QRegularExpression error(
        QStringLiteral("\\b(error|errors|fail|failed|fails|failure|unsuccessful|lost|cannot|unable|refused|broke|broken|"
                       "fehler|fehlgeschlagen|verloren|nicht möglich|abgelehnt)\\b"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression warning(
        QStringLiteral("\\b(warning|warnings|no room calibration|interrupted|not responding|too old|older than|"
                       "warnung|unterbrochen|ohne raumkalibrierung)\\b"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    if (error.match(message).hasMatch())
        return Error;
    if (warning.match(message).hasMatch())
        return Warning;
    return Plain;
}

} // namespace EventSeverity
