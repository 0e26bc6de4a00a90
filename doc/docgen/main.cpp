// Build-time tool: quorix-docgen INPUT.md OUTPUT.pdf
// With SOURCE_DATE_EPOCH set, the PDF carries that date instead of the time of
// the build, so that two builds of one commit give the same file. The fonts
// are loaded from their files (MarkdownPdf::loadFonts); a missing one ends
// the tool with status 1 instead of letting another take its place.
#include "MarkdownPdf.h"

#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QTextStream>

int main(int argc, char *argv[])
{
    // The PDF writer lists the fonts in hash order: a fixed seed fixes it.
    qSetGlobalQHashSeed(0);
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() != 3) {
        err << "usage: quorix-docgen INPUT.md OUTPUT.pdf\n";
        return 2;
    }
    QFile in(args.at(1));
    if (!in.open(QIODevice::ReadOnly)) {
        err << "quorix-docgen: cannot read " << args.at(1) << ": " << in.errorString() << '\n';
        return 1;
    }
    QString error;
    if (!MarkdownPdf::loadFonts(&error)) {
        err << "quorix-docgen: " << error << '\n';
        return 1;
    }
    bool dated = false;
    const qint64 sourceDate = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&dated);
    if (!MarkdownPdf::render(in.readAll(), args.at(2), &error, dated && sourceDate >= 0 ? sourceDate : -1)) {
        err << "quorix-docgen: cannot write " << args.at(2) << ": " << error << '\n';
        return 1;
    }
    return 0;
}
