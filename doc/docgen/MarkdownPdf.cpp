#include "MarkdownPdf.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace {

// The Markdown import sets code in the platform's fixed font, which without a
// desktop (as at build time) is a proportional one: give code a monospaced
// family. Tables take the page's width so that their columns do not wrap
// word by word.
void polish(QTextDocument &document)
{
    const QString platformFixed = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    QTextCharFormat mono;
    mono.setFontFamily(QStringLiteral("DejaVu Sans Mono"));
    mono.setFontFixedPitch(true);
    mono.setFontPointSize(9);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const bool codeBlock = block.blockFormat().hasProperty(QTextFormat::BlockCodeLanguage);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QTextCharFormat format = fragment.charFormat();
            if (!codeBlock && !(format.hasProperty(QTextFormat::FontFamily) && format.fontFamily() == platformFixed))
                continue;
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(mono);
        }
    }
    const QList<QTextFrame *> frames = document.rootFrame()->childFrames();
    for (QTextFrame *frame : frames) {
        if (auto *table = qobject_cast<QTextTable *>(frame)) {
            QTextTableFormat format = table->format();
            format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            format.setCellPadding(4);
            format.setCellSpacing(0);
            format.setBorderCollapse(true);
            table->setFormat(format);
        }
    }
}

} // namespace

QString MarkdownPdf::title(const QByteArray &markdown)
{
    for (const QByteArray &line : markdown.split('\n')) {
        if (line.startsWith("# "))
            return QString::fromUtf8(line.mid(2)).trimmed();
    }
    return QString();
}

bool MarkdownPdf::render(const QByteArray &markdown, const QString &pdfPath, QString *error)
{
    QFile out(pdfPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = out.errorString();
        return false;
    }
    QPdfWriter writer(&out);
    writer.setTitle(title(markdown));
    writer.setCreator(QStringLiteral("QUORIX4 documentation"));
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                                     QPageLayout::Millimeter));

    QTextDocument document;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10.5);
    document.setDefaultFont(font);
    document.setDefaultStyleSheet(QStringLiteral("th { background: #dde6ee; } td, th { padding: 3px; }"));
    document.setMarkdown(QString::fromUtf8(markdown));
    polish(document);
    document.print(&writer);
    out.close();
    if (out.error() != QFileDevice::NoError) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}
