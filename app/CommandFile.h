#pragma once

#include <QString>

class IOManager;

// Runs the commands of "quorix2cmd.txt" next to the program once after
// connecting, so that an installer or a technician can prepare a Controller
// without the user's help. Progress goes to the event display.
class CommandFile
{
public:
    static QString path(const QString &appDir);
    static void run(IOManager *channel, const QString &appDir);
};
