#include "CommandLine.h"
#include "MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QStyleFactory>
#include <QTranslator>

#include <clocale>
#include <memory>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Every German translation in "lang" below the working directory is installed.
std::vector<std::unique_ptr<QTranslator>> installTranslations(QApplication &app)
{
    std::vector<std::unique_ptr<QTranslator>> translators;
    const QDir lang(QStringLiteral("lang"));
    for (const QString &name : lang.entryList(QDir::Files)) {
        if (!lang.filePath(name).endsWith(QLatin1String("_de.qm")))
            continue;
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(QStringLiteral("lang/") + name.left(name.size() - 3))) {
            app.installTranslator(translator.get());
            translators.push_back(std::move(translator));
        }
    }
    return translators;
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
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(quorix);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const auto translators = installTranslations(app);

    QString commandLine = CommandLine::joinArguments(QCoreApplication::arguments());
    int exitCode = 0;
    do {
        auto window = std::make_unique<MainWindow>(commandLine);
        std::setlocale(LC_NUMERIC, "C");
        window->show();
        exitCode = app.exec();
        window.reset();
        // Matches no option: the next window goes through the connect dialog.
        commandLine = QStringLiteral("directstart");
    } while (exitCode == MainWindow::RestartExitCode);
    return exitCode;
}
