#include "CommandFile.h"

#include "IOManager.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

void report(IOManager *channel, const QString &text)
{
    channel->sendMessage("standard", "QUORIX4", 1, text.toLatin1().constData());
}

QString tr(const char *text)
{
    return QCoreApplication::translate("CommandFile", text);
}

} // namespace

QString CommandFile::path(const QString &appDir)
{
    return appDir + QStringLiteral("/quorix2cmd.txt");
}

void CommandFile::run(IOManager *channel, const QString &appDir)
{
    const QString file = path(appDir);
    if (!QFileInfo::exists(file))
        return;
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly | QIODevice::Text)) {
        report(channel, tr("Cannot open file %1").arg(file));
        return;
    }
    report(channel, tr("Executing command file %1").arg(file));
    QTextStream stream(&input);
    stream.setCodec("ISO-8859-1");
    int commands = 0;
    QString line;
    while (stream.readLineInto(&line)) {
        if (!line.startsWith(QLatin1String("quorix2 ")))
            continue;
        ++commands;
        report(channel, tr("Executing command '%1'").arg(line));
        char reply[IOManager::BufferSize];
        // The line is data, never a format: a '%' in it is sent as it stands.
        channel->sendCommand(reply, "%s", line.toLatin1().constData());
    }
    if (commands == 0)
        report(channel, tr("No quorix2 command found to execute"));
}
