// The preferences reader. Any file gives either a warning or values, never a
// crash; and what the program writes from those values reads back to the same
// values and the same file.
#include "FuzzCheck.h"
#include "Preferences.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace {

// Field by field, so that a finding names the value that changed.
void checkSameValues(const Preferences &a, const Preferences &b)
{
#define SAME(field) FUZZ_CHECK(a.field == b.field)
    SAME(lastIp);
    SAME(lastHostName);
    SAME(lastMac);
    SAME(lastSerial);
    SAME(lastModel);
    SAME(fixHostnameOrIp);
    SAME(fixSubnet);
    SAME(selectionMode);
    SAME(cascadedSystem);
    SAME(lastFrontendUpdate);
    SAME(showDynamicReflexSuppression);
    SAME(showServiceMenu);
    SAME(darkTheme);
    SAME(commandsLogName);
    if (!a.commandsLogName.isEmpty())   // the log settings are kept only with a file name
        SAME(commandsLogEnabled);
    SAME(autoBackup);
    SAME(notifyOldFrontendOrBackend);
    SAME(externalCommandTimeoutUs);
    SAME(frontendPassword);
#undef SAME
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), int(size));
    Preferences first;
    first.readContent(content, QStringLiteral("fuzz.xml"));
    FUZZ_CHECK(first.selectionMode == 0 || first.selectionMode == 1);
    FUZZ_CHECK(first.externalCommandTimeoutUs >= 1000);
    const QByteArray written = first.buildDocument();

    Preferences second;
    FUZZ_CHECK(second.readContent(written, QStringLiteral("written.xml")).isEmpty());
    // The file names no response prefix, and the date has whole seconds only.
    second.commandsLogResponsePrefix = first.commandsLogResponsePrefix;
    checkSameValues(first, second);
    FUZZ_CHECK(second.buildDocument() == written);
    return 0;
}
