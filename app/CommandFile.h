#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>

class IOManager;
class MessageBoxProvider;

// Runs the commands of "quorix2cmd.txt" next to the program once after
// connecting, so that an installer or a technician can prepare a Controller
// without the user's help. Progress goes to the event display.
class CommandFile
{
    Q_DECLARE_TR_FUNCTIONS(CommandFile)

public:
    static QString path(const QString &appDir);

    // The commands of a file's content: its lines that start with "quorix2 ",
    // in order, without their line ends and carriage returns. Other lines are
    // comments.
    static QList<QByteArray> commands(const QByteArray &content);

    // Every failing line is reported in the event display; the channel's own
    // error box is held back, and boxes, when given, gets one summary box at
    // the end. A file of many bad lines must not bury the window in boxes.
    // Returns the number of failed commands.
    static int run(IOManager *channel, const QString &appDir, MessageBoxProvider *boxes = nullptr);
};
