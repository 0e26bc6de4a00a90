#include "MarkdownPdf.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRawFont>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <functional>

namespace {

const char *const BodyFamily = "DejaVu Sans";
const char *const CodeFamily = "DejaVu Sans Mono";

struct Face
{
    const char *file;
    const char *family;
    bool bold;
    bool italic;
};

// Every face a document can use: text and code, each plain, bold, oblique and
// both (headings and table heads are bold, emphasis oblique, code may sit in
// either). A face missing here would be made up by slanting or emboldening
// another, which differs from one machine to the next.
const Face Faces[] = {
    {"DejaVuSans.ttf", BodyFamily, false, false},
    {"DejaVuSans-Bold.ttf", BodyFamily, true, false},
    {"DejaVuSans-Oblique.ttf", BodyFamily, false, true},
    {"DejaVuSans-BoldOblique.ttf", BodyFamily, true, true},
    {"DejaVuSansMono.ttf", CodeFamily, false, false},
    {"DejaVuSansMono-Bold.ttf", CodeFamily, true, false},
    {"DejaVuSansMono-Oblique.ttf", CodeFamily, false, true},
    {"DejaVuSansMono-BoldOblique.ttf", CodeFamily, true, true},
};

// The Markdown import sets code in the platform's fixed font, which without a
// desktop (as at build time) is a proportional one: give code a monospaced
// family. Tables take the page's width so that their columns do not wrap
// word by word.
void polish(QTextDocument &document)
{
    const QString platformFixed = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    QTextCharFormat mono;
    mono.setFontFamily(QLatin1String(CodeFamily));
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

bool MarkdownPdf::loadFonts(QString *error)
{
    const QString dir = qEnvironmentVariable("QUORIX_DOC_FONT_DIR", QStringLiteral("/usr/share/fonts/truetype/dejavu"));
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why + QStringLiteral(" (the packages fonts-dejavu-core and fonts-dejavu-extra; scripts/bootstrap installs them)");
        return false;
    };
    for (const Face &face : Faces) {
        const QString path = dir + QLatin1Char('/') + QLatin1String(face.file);
        if (!QFile::exists(path))
            return fail(QStringLiteral("font file %1 is missing").arg(path));
        const int id = QFontDatabase::addApplicationFont(path);
        if (id < 0 || !QFontDatabase::applicationFontFamilies(id).contains(QLatin1String(face.family)))
            return fail(QStringLiteral("font file %1 does not hold %2").arg(path, QLatin1String(face.family)));
    }
    // What the layout gets for each face must be that file's own face, not
    // one slanted or emboldened from another: the font header (which holds
    // the file's check sum and dates) tells them apart.
    for (const Face &face : Faces) {
        QFont font(QString::fromLatin1(face.family));
        font.setBold(face.bold);
        font.setItalic(face.italic);
        const QRawFont used = QRawFont::fromFont(font);
        const QRawFont own(dir + QLatin1Char('/') + QLatin1String(face.file), 10);
        if (!used.isValid() || !own.isValid() || used.familyName() != QLatin1String(face.family)
            || used.fontTable("head") != own.fontTable("head"))
            return fail(QStringLiteral("%1%2%3 is set in \"%4 %5\", not in %6")
                            .arg(QLatin1String(face.family), face.bold ? QStringLiteral(" bold") : QString(),
                                 face.italic ? QStringLiteral(" oblique") : QString(), used.familyName(),
                                 used.styleName(), QLatin1String(face.file)));
    }
    return true;
}

QString MarkdownPdf::title(const QByteArray &markdown)
{
    for (const QByteArray &line : markdown.split('\n')) {
        if (line.startsWith("# "))
            return QString::fromUtf8(line.mid(2)).trimmed();
    }
    return QString();
}

QByteArray MarkdownPdf::withFixedDates(QByteArray pdf, qint64 sourceDate)
{
    const auto replaceAll = [&pdf](const QString &pattern, const std::function<QByteArray()> &by) {
        // Latin-1 keeps one character per byte, so offsets carry over (and
        // with an explicit size, the text does not end at the first zero byte).
        const QString text = QString::fromLatin1(pdf.constData(), pdf.size());
        QRegularExpressionMatchIterator it = QRegularExpression(pattern).globalMatch(text);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            pdf.replace(m.capturedStart(1), m.capturedLength(1), by().leftJustified(m.capturedLength(1), '0', true));
        }
    };
    const QString infoDate = QStringLiteral("\\(D:(\\d{14})");                         // info dictionary
    const QString xmpDate = QStringLiteral("(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d)");   // XMP metadata
    const QString uuid = QStringLiteral("uuid:([0-9a-fA-F-]{36})");                   // XMP document ids
    const QString fileId = QStringLiteral("<([0-9a-fA-F]{32})>");                    // the trailer's /ID

    const QDateTime date = QDateTime::fromSecsSinceEpoch(sourceDate, Qt::UTC);
    replaceAll(infoDate, [&date] { return date.toString(QStringLiteral("yyyyMMddhhmmss")).toLatin1(); });
    replaceAll(xmpDate, [&date] { return date.toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1(); });
    // The ids become a hash of everything else.
    replaceAll(uuid, [] { return QByteArray("00000000-0000-0000-0000-000000000000"); });
    replaceAll(fileId, [] { return QByteArray(32, '0'); });
    const QByteArray id = QCryptographicHash::hash(pdf, QCryptographicHash::Sha1).toHex();
    replaceAll(uuid, [&id] {
        return id.left(8) + '-' + id.mid(8, 4) + '-' + id.mid(12, 4) + '-' + id.mid(16, 4) + '-' + id.mid(20, 12);
    });
    replaceAll(fileId, [&id] { return id.left(32); });
    return pdf;
}

bool MarkdownPdf::render(const QByteArray &markdown, const QString &pdfPath, QString *error, qint64 sourceDate)
{
    QFile out(pdfPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = out.errorString();
        return false;
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        if (!layOut(writer, markdown))
            return false;
    }
    const QByteArray pdf = sourceDate >= 0 ? withFixedDates(buffer.data(), sourceDate) : buffer.data();
    out.write(pdf);
    out.close();
    if (out.error() != QFileDevice::NoError) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}

bool MarkdownPdf::layOut(QPdfWriter &writer, const QByteArray &markdown)
{
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
    return true;
}
