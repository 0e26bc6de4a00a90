// Build-time tool: quorix-docgen INPUT.md OUTPUT.pdf
#include "MarkdownPdf.h"

#include <QFile>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
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
    if (!MarkdownPdf::render(in.readAll(), args.at(2), &error)) {
        err << "quorix-docgen: cannot write " << args.at(2) << ": " << error << '\n';
        return 1;
    }
    return 0;
}
