#include "StepScript.h"

// Splits a step line into words; "double quotes" keep spaces together.
QStringList StepScript::splitWords(const QString &line)
{
    QStringList words;
    QString word;
    bool quoted = false;
    bool any = false;
    for (const QChar c : line) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            any = true;
        } else if (c.isSpace() && !quoted) {
            if (any || !word.isEmpty())
                words << word;
            word.clear();
            any = false;
        } else {
            word += c;
        }
    }
    if (any || !word.isEmpty())
        words << word;
    return words;
}

// Lines between "repeat N" and "end" N times; nesting is not needed.
QStringList StepScript::unrollRepeats(const QStringList &lines, QList<int> *lineNumbers)
{
    QStringList out;
    QList<int> numbers;
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList words = StepScript::splitWords(lines[i]);
        if (words.value(0) == QLatin1String("repeat")) {
            const int times = words.value(1).toInt();
            int end = i + 1;
            while (end < lines.size() && StepScript::splitWords(lines[end]).value(0) != QLatin1String("end"))
                ++end;
            for (int t = 0; t < times; ++t) {
                for (int j = i + 1; j < end; ++j) {
                    out << lines[j];
                    numbers << j + 1;
                }
            }
            i = end;
            continue;
        }
        out << lines[i];
        numbers << i + 1;
    }
    *lineNumbers = numbers;
    return out;
}
