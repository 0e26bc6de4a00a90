#include "CommandFile.h"

#include "IOManager.h"
#include "MessageBoxProvider.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

void report(IOManager *channel, const QString &text)
{
    channel->sendMessage("standard", "QUORIX4", 1, text.toLatin1().constData());
}

} // namespace

QString CommandFile::path(const QString &appDir)
{
    return appDir + QStringLiteral("/quorix2cmd.txt");
}

int CommandFile::run(IOManager *channel, const QString &appDir, MessageBoxProvider *boxes)
{
    const QString file = path(appDir);
    if (!QFileInfo::exists(file))
        return 0;
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly | QIODevice::Text)) {
        report(channel, tr("Cannot open file %1").arg(file));
        return 0;
    }
    report(channel, tr("Executing command file %1").arg(file));
    QTextStream stream(&input);
    stream.setCodec("ISO-8859-1");
    int commands = 0;
    int failed = 0;
    QString line;
    while (stream.readLineInto(&line)) {
        if (!line.startsWith(QLatin1String("quorix2 ")))
            continue;
        ++commands;
        report(channel, tr("Executing command '%1'").arg(line));
        char reply[IOManager::BufferSize];
        channel->prepareNextCommand(false, -1, true);
        // The line is data, never a format: a '%' in it is sent as it stands.
        const int r = channel->sendCommand(reply, "%s", line.toLatin1().constData());
        if (r < 0) {
            ++failed;
            report(channel, tr("Command '%1' failed with code %2").arg(line, QString::number(r)));
        } else if (qstrncmp(reply, "quorix2 err", 11) == 0) {
            ++failed;
            report(channel, tr("Command '%1' failed: %2").arg(line, QString::fromLatin1(reply)));
        }
    }
    if (commands == 0)
        report(channel, tr("No quorix2 command found to execute"));
    if (failed > 0 && boxes) {
        const QString text = failed == 1
            ? tr("One command of the command file %1 failed.\nThe event display shows it.").arg(file)
            : tr("%1 commands of the command file %2 failed.\nThe event display lists them.").arg(QString::number(failed), file);
        boxes->openMessageBox(1, tr("Command Error"), text);
    }
    return failed;
}
