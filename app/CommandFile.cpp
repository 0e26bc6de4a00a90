#include "CommandFile.h"

#include "IOManager.h"
#include "MessageBoxProvider.h"

#include <QFile>
#include <QFileInfo>

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

QList<QByteArray> CommandFile::commands(const QByteArray &content)
{
    QList<QByteArray> out;
    int start = 0;
    while (start < content.size()) {
        int end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        QByteArray line = content.mid(start, end - start);
        line.replace('\r', QByteArray());   // CR LF line ends; a text-mode read drops every CR
        if (line.startsWith("quorix2 "))
            out.append(line);
        start = end + 1;
    }
    return out;
}

int CommandFile::run(IOManager *channel, const QString &appDir, MessageBoxProvider *boxes)
{
    const QString file = path(appDir);
    if (!QFileInfo::exists(file))
        return 0;
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly)) {
        report(channel, tr("Cannot open file %1").arg(file));
        return 0;
    }
    report(channel, tr("Executing command file %1").arg(file));
    const QList<QByteArray> lines = commands(input.readAll());
    int failed = 0;
    for (const QByteArray &command : lines) {
        // Latin-1: every byte of the file stands for one character in the texts;
        // a zero byte is shown, as the event display's texts end at one.
        const QString line = QString::fromLatin1(command.constData(), command.size()).replace(QChar(0), QLatin1String("\\0"));
        report(channel, tr("Executing command '%1'").arg(line));
        if (command.contains('\0')) {
            // It could only be sent cut short at the zero byte, which would be another command.
            ++failed;
            report(channel, tr("Command '%1' failed: it contains a zero byte").arg(line));
            continue;
        }
        char reply[IOManager::BufferSize];
        channel->prepareNextCommand(false, -1, true);
        // The line is data, never a format: a '%' in it is sent as it stands.
        const int r = channel->sendCommand(reply, "%s", command.constData());
        if (r < 0) {
            ++failed;
            report(channel, tr("Command '%1' failed with code %2").arg(line, QString::number(r)));
        } else if (qstrncmp(reply, "quorix2 err", 11) == 0) {
            ++failed;
            report(channel, tr("Command '%1' failed: %2").arg(line, QString::fromLatin1(reply)));
        }
    }
    if (lines.isEmpty())
        report(channel, tr("No quorix2 command found to execute"));
    if (failed > 0 && boxes) {
        const QString text = failed == 1
            ? tr("One command of the command file %1 failed.\nThe event display shows it.").arg(file)
            : tr("%1 commands of the command file %2 failed.\nThe event display lists them.").arg(QString::number(failed), file);
        boxes->openMessageBox(1, tr("Command Error"), text);
    }
    return failed;
}
