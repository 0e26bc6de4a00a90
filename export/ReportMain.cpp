// quorix4-report: the configuration report (or the whole system-information
// bundle) of a Controller, for machines without a screen.
#include "ExportConfiguration.h"
#include "IOManagerUdpTcp.h"
#include "MessageBoxProvider.h"
#include "ReportCommandLine.h"
#include "SystemInfoBundle.h"
#include "Version.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>

namespace {

// What the channel would show in a box goes to the terminal.
class TerminalBoxes : public MessageBoxProvider
{
public:
    void openMessageBox(int, QString title, QString text) override
    {
        std::fprintf(stderr, "quorix4-report: %s: %s\n", qPrintable(title), qPrintable(text.replace(QLatin1Char('\n'), QLatin1Char(' '))));
    }
};

int fail(const QString &text, int code)
{
    std::fprintf(stderr, "quorix4-report: %s\n", qPrintable(text));
    return code;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorix4-report"));

    const ReportCommandLine options = ReportCommandLine::parse(QCoreApplication::arguments().mid(1));
    if (options.help) {
        std::fputs(qPrintable(ReportCommandLine::usage()), stdout);
        return 0;
    }
    if (!options.error.isEmpty()) {
        std::fputs(qPrintable(ReportCommandLine::usage()), stderr);
        return fail(options.error, 2);
    }

    const QDate today = QDate::currentDate();
    const QString path = QFileInfo(options.output.isEmpty() ? options.defaultOutput(today) : options.output).absoluteFilePath();
    const QString problem = ReportCommandLine::outputProblem(path);
    if (!problem.isEmpty())
        return fail(problem, 4);

    QElapsedTimer clock;
    clock.start();
    TerminalBoxes boxes;
    IOManagerUdpTcp channel(&boxes);
    unsigned short dataPort = 0;
    const QByteArray host = options.host.toLatin1();
    if (channel.connectController(host.constData(), 50105, &dataPort) != 0)
        return fail(QCoreApplication::translate("quorix4-report", "cannot connect to the Controller at %1 (TCP port 50105)")
                        .arg(options.host), 3);

    // Reading needs no full access; a Controller that does not answer this answers nothing.
    char hostName[IOManager::BufferSize] = "";
    channel.prepareNextCommand(false, -1, true);
    const int r = channel.getString(hostName, "system hostname");
    if (r != 0)
        return fail(QCoreApplication::translate("quorix4-report", "the Controller at %1 does not answer (Error %2)")
                        .arg(options.host).arg(r), 3);

    const BackendVersions versions = ReportCommandLine::readVersions(channel);
    ExportConfiguration report(&channel, nullptr, &versions);
    report.setFrontendVersion(QStringLiteral("v%1 %2").arg(QuorixVersion::text(), QLatin1String(QuorixVersion::ReleaseDate)));
    // What the front end next to this program would write, as far as it can
    // be known without its window; the rest is said plainly.
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString frontend = ReportCommandLine::frontendProgram(appDir);
    report.setInstallationPath(frontend.isEmpty()
                                   ? QCoreApplication::translate("quorix4-report", "unknown (no quorix4 in %1)").arg(appDir)
                                   : frontend);
    report.setFrontendUpdateDate(ReportCommandLine::frontendUpdateDate(ReportCommandLine::preferences()));
    const QStringList plugins = ReportCommandLine::installedPlugins(appDir);
    report.setFrontendModulesNote(
        {QCoreApplication::translate("quorix4-report", "Not known: quorix4-report loads no modules; the export in QUORIX4 lists them."),
         QCoreApplication::translate("quorix4-report", "Installed plug-ins: %1")
             .arg(plugins.isEmpty() ? QCoreApplication::translate("quorix4-report", "none") : plugins.join(QStringLiteral(", ")))});

    int logs = 0;
    bool ok = false;
    QString error;
    if (options.days > 0) {
        QVector<SystemInfoBundle::LogFile> selected;
        const QDate first = today.addDays(-(options.days - 1));
        for (const SystemInfoBundle::LogFile &f :
             SystemInfoBundle::findLogs(SystemInfoBundle::logRoot(), QString::fromLatin1(hostName).trimmed(), today))
            if (f.date >= first)
                selected.append(f);
        logs = selected.size();
        SystemInfoBundle bundle;
        bundle.setHealthLastHour(SystemInfoBundle::healthLastHour(SystemInfoBundle::logRoot(),
                                                                  QString::fromLatin1(hostName).trimmed(),
                                                                  QDateTime::currentDateTime()));
        ok = bundle.write(path, report, selected);
        error = bundle.error();
    } else {
        ok = report.exportReport(path, false, true);
        error = report.errorText();
    }
    // The reason alone: the dialog's advice to choose another place is no
    // terminal's.
    if (!ok)
        return fail(QCoreApplication::translate("quorix4-report", "%1: %2").arg(path, error.section(QLatin1Char('\n'), 0, 0)), 4);
    if (channel.isBroken())
        return fail(QCoreApplication::translate("quorix4-report", "the connection to %1 broke during the report; %2 is incomplete")
                        .arg(options.host, path), 5);

    const QString what = options.days > 0
        ? QCoreApplication::translate("quorix4-report", "system information with %n event log(s)", nullptr, logs)
        : QCoreApplication::translate("quorix4-report", "configuration report");
    std::printf("%s\n", qPrintable(QCoreApplication::translate("quorix4-report", "Wrote %1 to %2 (%3 commands, %4 s)")
                                       .arg(what, path)
                                       .arg(report.commandsSent())
                                       .arg(double(clock.elapsed()) / 1000.0, 0, 'f', 1)));
    return 0;
}
