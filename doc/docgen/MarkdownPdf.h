#pragma once

#include <QByteArray>
#include <QString>

// Lays out a Markdown text as an A4 PDF with page numbers. The documents that
// ship with the program are written in Markdown and rendered by this at build
// time, so they need nothing beyond Qt.
class MarkdownPdf
{
public:
    // The first "# " heading, or an empty text.
    static QString title(const QByteArray &markdown);
    // False with a reason in error when the file cannot be written.
    static bool render(const QByteArray &markdown, const QString &pdfPath, QString *error);
};
