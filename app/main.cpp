#include "CommandLine.h"
#include "DisplayCheck.h"
#include "DisplayLoss.h"
#include "HelpCommandLine.h"
#include "MainWindow.h"
#include "ReplayStart.h"
#include "StartupController.h"
#include "TerminationSignals.h"
#include "Translations.h"
#include "Version.h"

#include <QApplication>
#include <QIcon>
#include <QStyleFactory>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/images/app/quorix4-%1.png").arg(size), QSize(size, size));
    return icon;
}

QStringList localArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Qt would abort with a hint to reinstall; the cause is the display.
QString noDisplayText(const QString &display)
{
    return display.isEmpty()
        ? QCoreApplication::translate("main", "quorix4: cannot open display (DISPLAY is not set)")
        : QCoreApplication::translate("main", "quorix4: cannot open display %1").arg(display);
}

// While Qt connects: a display that went away after our own check ends the
// program with the same words and status as one that was never there.
QStringList g_arguments;
QtMessageHandler g_previousHandler = nullptr;

void displayGoneHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    QString display;
    if (type == QtFatalMsg && message.contains(QLatin1String("no Qt platform plugin could be initialized"))
        && !DisplayCheck::available(g_arguments, &display)) {
        std::fprintf(stderr, "%s\n", qPrintable(noDisplayText(display)));
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (g_previousHandler)
        g_previousHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char *argv[])
{
#ifdef __GLIBC__
    // The 3D monitor's renderer frees a few megabytes on its threads every
    // frame. glibc would hand them back to the system and fault them in again
    // for the next frame, which cost more than the drawing itself.
    mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);
#endif
    // What a terminal user asks for, and what keeps the program from
    // starting, is answered before any window system is needed.
    const QStringList given = localArguments(argc, argv);
    // A replay is checked before anything else: scripts rely on the status.
    bool replayFileMissing = false;
    const QString replayFile = ReplayStart::requestedFile(given, &replayFileMissing);
    if (replayFileMissing) {
        std::fprintf(stderr, "quorix4: %s\n", qPrintable(QCoreApplication::translate("main", "-replay needs a file")));
        return 1;
    }
    if (!replayFile.isEmpty()) {
        QString error;
        QString warning;
        if (!ReplayStart::prepare(replayFile, &error, &warning)) {
            std::fprintf(stderr, "quorix4: %s\n", qPrintable(error));
            return 1;
        }
        if (!warning.isEmpty())
            std::fprintf(stderr, "quorix4: %s\n", qPrintable(warning));
    }
    const QStringList arguments = ReplayStart::otherArguments(given);
    CommandLine::Options options;
    CommandLine::parse(CommandLine::joinArguments(arguments), options);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "quorix4: %s\n%s\n", qPrintable(options.error),
                     qPrintable(QCoreApplication::translate("main", "Try \"quorix4 -help\" for the options.")));
        return 1;
    }
    if (options.version) {
        std::printf("QUORIX4 %s\n", qPrintable(QuorixVersion::text()));
        return 0;
    }
    QString display;
    if (!DisplayCheck::available(arguments, &display)) {
        if (options.help) {
            QCoreApplication core(argc, argv);
            std::fputs(qPrintable(HelpCommandLine::plainText()), stdout);
            return 0;
        }
        std::fprintf(stderr, "%s\n", qPrintable(noDisplayText(display)));
        return 1;
    }
    // On a high-density screen the whole window scales, texts and icons alike.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    g_arguments = arguments;
    g_previousHandler = qInstallMessageHandler(displayGoneHandler);
    QApplication app(argc, argv);
    qInstallMessageHandler(g_previousHandler);
    DisplayCheck::release();
    DisplayLoss::watch(arguments);
    // QApplication took the user's numeric locale; every number this program
    // writes to or reads from the Controller uses '.', so "C" comes before
    // anything talks to it (the plug-ins read their data in the first window).
    std::setlocale(LC_NUMERIC, "C");
    Q_INIT_RESOURCE(quorix);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(applicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("local.quorix.quorix4"));
    const Translations translations;

    // Once a window stands, Ctrl+C, SIGTERM and SIGHUP close it as the user would.
    MainWindow *current = nullptr;
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, [&current](int) {
        if (current) {
            current->closeUnattended();
            return;
        }
        // Before the window (a connect or selection dialog, a search) there is
        // nothing to keep: the session ends, and the program with success.
        std::fflush(nullptr);
        std::_Exit(0);
    });

    QString commandLine = CommandLine::joinArguments(ReplayStart::otherArguments(QCoreApplication::arguments()));
    int exitCode = 0;
    do {
        // Help asked for, the user leaving or a Controller out of reach end
        // the program with success.
        std::unique_ptr<MainWindow> window = StartupController(commandLine).openWindow();
        if (!window) {
            exitCode = 0;
            break;
        }
        current = window.get();
        std::setlocale(LC_NUMERIC, "C");
        window->show();
        exitCode = app.exec();
        current = nullptr;
        window.reset();
        // Matches no option: the next window goes through the connect dialog.
        commandLine = QStringLiteral("directstart");
    } while (exitCode == MainWindow::RestartExitCode);
    DisplayLoss::mainReturns();
    return exitCode;
}
