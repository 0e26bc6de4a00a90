#include "CommandLine.h"

#include <QCoreApplication>

namespace {

const QString Host = QStringLiteral("-host");
const QString DirectStart = QStringLiteral("-directstart");
const QString Measure = QStringLiteral("-measure");
const QString WakeUp = QStringLiteral("-wakeup");

bool isHelpWord(const QString &word)
{
    // "--help" as every other terminal program takes it.
    static const QStringList helpWords = {QStringLiteral("-help"), QStringLiteral("-h"), QStringLiteral("-?"),
                                          QStringLiteral("/help"), QStringLiteral("/h"), QStringLiteral("/?"),
                                          QStringLiteral("--help")};
    return helpWords.contains(word);
}

bool isHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
           || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

} // namespace

QString CommandLine::joinArguments(const QStringList &arguments)
{
    return arguments.mid(1, 5).join(QLatin1Char(' '));
}

QStringList CommandLine::split(const QString &text)
{
    return text.split(QLatin1Char(' '), Qt::KeepEmptyParts);
}

QStringList CommandLine::normalise(const QStringList &words)
{
    const int n = words.size();
    if (n == 2) {
        if ((words[0] == Measure || words[0] == WakeUp) && words[1] == DirectStart)
            return {words[1], words[0]};
    } else if (n == 3) {
        if (words[0] == Measure && words[1] == Host)
            return {Host, words[2], Measure};
        if (words.contains(DirectStart) && words.contains(WakeUp) && words.contains(Measure)
            && !(words[0] == DirectStart && words[1] == WakeUp))
            return {DirectStart, WakeUp, Measure};
    } else if (n == 4) {
        if (words[0] == WakeUp && words[2] == Host)
            return {Host, words[3], WakeUp, words[1]};
    } else if (n == 5) {
        const int host = words.indexOf(Host);
        const int wake = words.indexOf(WakeUp);
        const int measure = words.indexOf(Measure);
        if (host >= 0 && wake >= 0 && measure >= 0 && !(host == 0 && wake == 2 && measure == 4)
            && host + 1 < n && wake + 1 < n)
            return {Host, words[host + 1], WakeUp, words[wake + 1], Measure};
    }
    return words;
}

void CommandLine::parse(const QString &text, Options &options)
{
    const QStringList words = normalise(split(text));
    const int n = words.size();
    if (n == 0)
        return;
    auto option = [&words](int i) { return words[i].toLower(); };

    const QString first = option(0);
    if (first == DirectStart) {
        options.directStart = true;
        if (n > 1) {
            if (option(1) == Measure) {
                options.measureAfterStart = true;
            } else if (option(1) == WakeUp) {
                options.wakeUp = true;
                if (n > 2 && option(2) == Measure)
                    options.measureAfterStart = true;
            }
        }
    } else if (first == Host) {
        options.hostGiven = true;
        // An empty host (-host '') would quietly reach the remembered
        // Controller instead of the one the user meant to name.
        if (n < 2 || words[1].isEmpty()) {
            options.error = QCoreApplication::translate("CommandLine", "-host needs a host name or IPv4 address");
            return;
        }
        options.hostText = words[1];
        if (n > 2) {
            if (option(2) == Measure) {
                options.measureAfterStart = true;
            } else if (option(2) == WakeUp) {
                // Wake-up in this form needs the Controller's MAC.
                options.wakeUp = n > 3 && isValidMac(words[3]);
                if (options.wakeUp) {
                    options.macText = words[3];
                    if (n > 4 && option(4) == Measure)
                        options.measureAfterStart = true;
                }
            }
        }
    } else if (isHelpWord(first)) {
        options.help = true;
    } else if (first == QLatin1String("--version")) {
        options.version = true;
    }
}

bool CommandLine::isValidMac(const QString &text)
{
    QChar separator;
    if (text.contains(QLatin1Char(':')))
        separator = QLatin1Char(':');
    else if (text.contains(QLatin1Char('-')))
        separator = QLatin1Char('-');
    else
        return false;
    // Two hex digits per group, nothing else: a scanf-style check would also
    // take " 1", "+1" or "6G" as a byte.
    const QStringList parts = text.split(separator);
    if (parts.size() != 6)
        return false;
    for (const QString &part : parts) {
        if (part.size() != 2 || !isHexDigit(part[0]) || !isHexDigit(part[1]))
            return false;
    }
    return true;
}

QString CommandLine::macWithColons(const QString &text)
{
    if (!text.contains(QLatin1Char('-')))
        return text;
    QString colons = text;
    colons.replace(QLatin1Char('-'), QLatin1Char(':'));
    return isValidMac(colons) ? colons : text;
}
