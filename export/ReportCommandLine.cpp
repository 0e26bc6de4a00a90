#include "ReportCommandLine.h"

#include "IOManager.h"
#include "SystemInfoBundle.h"
#include "Version.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

namespace {

ControllerVersion queryVersion(IOManager &channel, const char *parameter, const char *fallback)
{
    char value[IOManager::BufferSize] = "";
    QString text = QString::fromLatin1(fallback);
    channel.prepareNextCommand(false, -1, true);
    if (channel.getString(value, "%s", parameter) == 0)
        text = QString::fromLatin1(value);
    return ControllerVersion::parse(text.section(QLatin1Char(' '), 0, 0));
}

} // namespace

ReportCommandLine ReportCommandLine::parse(const QStringList &arguments)
{
    ReportCommandLine c;
    auto fail = [&c](const QString &why) {
        c.error = why;
        return c;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString a = arguments.at(i);
        if (a == QLatin1String("-h") || a == QLatin1String("-help") || a == QLatin1String("--help")) {
            c.help = true;
            return c;
        }
        const bool takesValue = a == QLatin1String("-host") || a == QLatin1String("-o") || a == QLatin1String("-days");
        if (!takesValue)
            return fail(QCoreApplication::translate("ReportCommandLine", "unknown option '%1'").arg(a));
        if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
            return fail(QCoreApplication::translate("ReportCommandLine", "%1 needs a value").arg(a));
        const QString v = arguments.at(++i);
        if (a == QLatin1String("-host")) {
            c.host = v;
        } else if (a == QLatin1String("-o")) {
            c.output = v;
        } else {
            bool ok = false;
            c.days = v.toInt(&ok);
            if (!ok || c.days < 1 || c.days > 3650)
                return fail(QCoreApplication::translate("ReportCommandLine", "-days needs a number of days from 1 to 3650, not '%1'").arg(v));
        }
    }
    if (c.host.isEmpty())
        return fail(QCoreApplication::translate("ReportCommandLine", "-host is required"));
    return c;
}

QString ReportCommandLine::usage()
{
    return QCoreApplication::translate("ReportCommandLine",
        "Usage: quorix4-report -host ADDR [-o FILE] [-days N]\n"
        "Writes the configuration report of the Controller at ADDR (host name or IPv4 address).\n"
        "  -o FILE   where to write (default: a dated file in the current directory)\n"
        "  -days N   write the whole system-information bundle instead: the report and\n"
        "            this computer's event logs of that Controller from the last N days\n");
}

QString ReportCommandLine::defaultOutput(const QDate &today) const
{
    const QString date = today.toString(QStringLiteral("yyyy-MM-dd"));
    return days > 0 ? QStringLiteral("QUORIX4_Systeminfo-%1.txt").arg(date)
                    : QStringLiteral("QUORIX4_Configuration-%1.txt").arg(date);
}

BackendVersions ReportCommandLine::readVersions(IOManager &channel)
{
    BackendVersions versions;
    versions.system = queryVersion(channel, "system version", "v0.0.0");
    versions.protocol = queryVersion(channel, "system protocol_version", "v0.0");
    versions.controller = queryVersion(channel, "system controller_version", "v0.0");
    int model = 0;
    channel.prepareNextCommand(false, -1, true);
    versions.model = channel.getInt(&model, "system model") == 0 ? BackendVersions::modelText(model) : QStringLiteral("0");
    return versions;
}

QString ReportCommandLine::frontendProgram(const QString &appDir)
{
    const QFileInfo program(QDir(appDir).filePath(QStringLiteral("quorix4")));
    return program.isFile() && program.isExecutable() ? program.absoluteFilePath() : QString();
}

// The front end keeps the date in the attribute UPDATE_DATE of its
// LAST_FRONTEND_UPDATE group.
QDateTime ReportCommandLine::frontendUpdateDate(const QByteArray &preferences)
{
    QXmlStreamReader xml(preferences);
    while (!xml.atEnd()) {   // also true after a parse error
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("LAST_FRONTEND_UPDATE"))
            return QDateTime::fromString(xml.attributes().value(QLatin1String("UPDATE_DATE")).toString().trimmed(),
                                         QStringLiteral("yyyy-MM-ddThh:mm:ss"));
    }
    return QDateTime();
}

QStringList ReportCommandLine::installedPlugins(const QString &appDir)
{
    return QDir(QDir(appDir).filePath(QStringLiteral("plugins"))).entryList({QStringLiteral("*.so")}, QDir::Files, QDir::Name);
}

QByteArray ReportCommandLine::preferences()
{
    QFile file(SystemInfoBundle::logRoot() + QStringLiteral("/v") + QuorixVersion::text()
               + QStringLiteral("/config/current-preferences.xml"));
    return file.open(QIODevice::ReadOnly) ? file.read(MaxPreferencesSize) : QByteArray();
}

QString ReportCommandLine::outputProblem(const QString &path)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (file.isDir())
        return QCoreApplication::translate("quorix4-report", "cannot write %1: it is a folder").arg(path);
    if (!folder.isDir())
        return QCoreApplication::translate("quorix4-report", "cannot write %1: the folder %2 does not exist")
            .arg(path, folder.filePath());
    if (!folder.isWritable() || (file.exists() && !file.isWritable()))
        return QCoreApplication::translate("quorix4-report", "cannot write %1: permission denied").arg(path);
    return QString();
}
