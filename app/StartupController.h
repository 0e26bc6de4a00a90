#pragma once

#include "ControllerSession.h"

#include <QCoreApplication>
#include <QString>

#include <memory>

class MainWindow;

// The way from the command line to a main window: the preferences, the
// command line, the connection with full access and the Controller's
// initialisation come first; the window is built from what they gave, and
// the checks that may ask the user follow once it stands. Whatever ends the
// start-up (help asked for, the user leaving, a Controller out of reach) ends
// it here, with the user told where there is something to tell.
class StartupController
{
    Q_DECLARE_TR_FUNCTIONS(StartupController)

public:
    explicit StartupController(const QString &commandLine);

    // The window, connected and initialised, not yet shown; null when the
    // start-up ended (the program then ends with status 0).
    std::unique_ptr<MainWindow> openWindow();

    // Up to the initialised Controller; false when the start-up ended. The
    // session is then taken with takeSession().
    bool connect();
    ControllerSession takeSession() { return std::move(m_session); }

private:
    void readPreferences();
    bool openReplay();
    void initialiseController();
    void readControllerIdentity();
    void writePreferences();
    static void finish(MainWindow *window, const CommandLine::Options &options);

    QString m_commandLine;
    ControllerSession m_session;
    QString m_logsDir;   // where the event display writes its logs
};
