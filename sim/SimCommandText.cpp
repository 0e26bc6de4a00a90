#include "SimCommandText.h"

QStringList SimCommandText::words(const QString& text)
{
    QStringList out;
    int i = 0;
    const int n = text.size();
    while (i < n) {
        while (i < n && text.at(i) == QLatin1Char(' '))
            ++i;
        if (i >= n)
            break;
        const QChar first = text.at(i);
        int end = i + 1;
        if (first == QLatin1Char('"') || first == QLatin1Char('\'')) {
            while (end < n && text.at(end) != first)
                ++end;
            end = end < n ? end + 1 : n;
        } else {
            while (end < n && text.at(end) != QLatin1Char(' '))
                ++end;
        }
        out.append(text.mid(i, end - i));
        i = end;
    }
    return out;
}

QString SimCommandText::canonicalWord(const QString& word)
{
    int letters = 0;
    while (letters < word.size() && word.at(letters) >= QLatin1Char('a') && word.at(letters) <= QLatin1Char('z'))
        ++letters;
    if (letters == 0 || letters == word.size() || letters > 2)
        return word;
    for (int i = letters; i < word.size(); ++i)
        if (!word.at(i).isDigit() || word.at(i).unicode() > 127)
            return word;
    const QString prefix = word.left(letters);
    const bool unpadded = prefix == QLatin1String("f") || prefix == QLatin1String("h");
    const bool padded = prefix == QLatin1String("c") || prefix == QLatin1String("b") || prefix == QLatin1String("m")
        || prefix == QLatin1String("d") || prefix == QLatin1String("t") || prefix == QLatin1String("ch");
    if (!padded && !unpadded)
        return word;
    QString digits = word.mid(letters);
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    if (digits.size() > 6)
        return word; // no Controller has that many items; keep it as typed so it stays unknown
    const int number = digits.toInt();
    return prefix + (unpadded ? QString::number(number) : QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0')));
}

QString SimCommandText::canonicalKey(const QStringList& words)
{
    QStringList out;
    out.reserve(words.size());
    for (const QString& w : words)
        out.append(canonicalWord(w));
    return out.join(QLatin1Char(' '));
}

bool SimCommandText::isPrintable(const QByteArray& bytes)
{
    for (char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7e)
            return false;
    }
    return true;
}

QString SimCommandText::withoutPasswords(const QString& text)
{
    // Word by word, so that a quoted password with blanks goes as a whole.
    const QStringList parts = words(text);
    if (!parts.contains(QLatin1String("new_frontend_password")) && !parts.contains(QLatin1String("is_frontend_password")))
        return text;
    QStringList out;
    bool secretNext = false;
    for (const QString& w : parts) {
        out << (secretNext && w != QLatin1String("none") ? QStringLiteral("'***'") : w);
        secretNext = w == QLatin1String("new_frontend_password") || w == QLatin1String("is_frontend_password");
    }
    return out.join(QLatin1Char(' '));
}

QString SimCommandText::printable(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u <= 0x7e && u != '\\')
            out.append(QLatin1Char(c));
        else
            out.append(QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0')));
    }
    return out;
}
