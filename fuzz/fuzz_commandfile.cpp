// The command file reader: every command it finds is one line of the file
// that starts with "quorix2 ", without line-end characters; and a file written
// from commands and comment lines gives back exactly those commands.
#include "CommandFile.h"
#include "FuzzCheck.h"

#include <QByteArray>
#include <QList>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), int(size));
    const QList<QByteArray> commands = CommandFile::commands(content);
    FUZZ_CHECK(commands.size() <= content.count('\n') + 1);
    for (const QByteArray &command : commands) {
        FUZZ_CHECK(command.startsWith("quorix2 "));
        FUZZ_CHECK(!command.contains('\n') && !command.contains('\r'));
    }

    // Written back one per line, with comments between them and either line
    // end: the same commands in the same order.
    QByteArray file = "# written back\r\n";
    for (int i = 0; i < commands.size(); ++i) {
        file += commands[i];
        file += i % 2 ? "\r\n" : "\n";
        file += "quorix2\n\n";   // no command: the word alone
    }
    FUZZ_CHECK(CommandFile::commands(file) == commands);
    return 0;
}
