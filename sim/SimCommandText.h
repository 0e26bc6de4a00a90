#pragma once

#include <QByteArray>
#include <QStringList>

// The word level of the command language: splitting a command into words
// (quoted words keep their quotes and blanks) and writing item selectors in
// the Controller's own form (c1, c01 and c001 all become c01; f01 becomes f1).
class SimCommandText
{
public:
    // Splits at blanks; a word starting with ' or " runs to the same quote.
    // An unterminated quote makes the rest of the text one word.
    static QStringList words(const QString& text);
    // Canonical form of a selector word, or the word unchanged when it is no selector.
    static QString canonicalWord(const QString& word);
    // Canonical words joined by single blanks.
    static QString canonicalKey(const QStringList& words);
    // True when every byte is printable ASCII (blank to tilde).
    static bool isPrintable(const QByteArray& bytes);
    // Byte text with non-printable bytes written as \xNN, for logs.
    static QString printable(const QByteArray& bytes);
    // The text with the word after "new_frontend_password" or "is_frontend_password"
    // (a password, quoted or not; "none" is none) written as '***', for logs.
    static QString withoutPasswords(const QString& text);
};
