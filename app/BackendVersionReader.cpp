#include "BackendVersionReader.h"

#include "IOManager.h"

namespace {

// Queries a version parameter; a failed query reads as the given fallback.
ControllerVersion queryVersion(IOManager &channel, const char *parameter, const char *fallback)
{
    char value[IOManager::BufferSize] = "";
    QString text = QString::fromLatin1(fallback);
    if (channel.getString(value, "%s", parameter) == 0)
        text = QString::fromLatin1(value);
    return ControllerVersion::parse(text.section(QLatin1Char(' '), 0, 0));
}

} // namespace

BackendVersions BackendVersionReader::read(IOManager &channel)
{
    BackendVersions versions;
    versions.system = queryVersion(channel, "system version", "v0.0.0");
    if (!versions.system.isAtLeast(0, 1, 4))
        return versions;

    versions.protocol = queryVersion(channel, "system protocol_version", "v0.0");
    if (!versions.protocol.isAtLeast(0, 12))
        return versions;

    versions.controller = queryVersion(channel, "system controller_version", "v0.0");
    if (!versions.protocol.isAtLeast(1, 9))
        return versions;

    int model = 0;
    versions.model = channel.getInt(&model, "system model") == 0 ? BackendVersions::modelText(model)
                                                                   : QStringLiteral("0");
    return versions;
}
