#pragma once

#include <QByteArray>
#include <QString>

class QPdfWriter;

// Lays out a Markdown text as an A4 PDF with page numbers. The documents that
// ship with the program are written in Markdown and rendered by this at build
// time, so they need nothing beyond Qt.
class MarkdownPdf
{
public:
    // The faces the documents are set in, loaded from their files (Debian's
    // fonts-dejavu-core and fonts-dejavu-extra; QUORIX_DOC_FONT_DIR moves the
    // directory), so that every machine embeds the same fonts instead of what
    // its fontconfig happens to offer. False with the missing or unusable
    // file named in error.
    static bool loadFonts(QString *error);
    // The first "# " heading, or an empty text.
    static QString title(const QByteArray &markdown);
    // False with a reason in error when the file cannot be written. With a
    // source date (seconds since 1970, as SOURCE_DATE_EPOCH gives it) the file
    // depends on nothing but the text and that date.
    static bool render(const QByteArray &markdown, const QString &pdfPath, QString *error, qint64 sourceDate = -1);
    // The writer's own time stamps and random document ids replaced: the
    // dates by sourceDate, the ids by ones made from the content. Every
    // replacement has the length of what it replaces, so the cross-reference
    // offsets stay right.
    static QByteArray withFixedDates(QByteArray pdf, qint64 sourceDate);

private:
    static bool layOut(QPdfWriter &writer, const QByteArray &markdown);
};
