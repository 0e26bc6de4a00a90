#pragma once

#include "BackendVersions.h"
#include "CommandLine.h"
#include "MessageBoxProvider.h"
#include "Preferences.h"

#include <QMainWindow>
#include <QSet>
#include <QMap>
#include <QPointer>
#include <QToolBar>

#include <memory>

class AppStatusBar;
class CamStatusBar;
class EventDisplay;
class FreqStatusBar;
class IOManagerUdpTcp;
class QDockWidget;
class RadioStatusBar;
class StatusFeed;
class StatusPoller;
class TrackingStatusBar;
class MainAppMessageReceiver;
class ModuleHost;
class QAction;
class QMenu;
class QMessageBox;
class QTimer;

// The front end's one top-level window. Its constructor is the start-up: it
// connects to the Controller, takes full access and initialises it before the
// rest of the window is built. A window that cannot get there ends the process.
class MainWindow : public QMainWindow, private MessageBoxProvider
{
    Q_OBJECT
    friend class ModuleHost;   // places module entries into the menus and docks

public:
    static constexpr int RestartExitCode = 42;

    explicit MainWindow(const QString &commandLine, QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~MainWindow() override;

    IOManagerUdpTcp *commandChannel() const { return m_channel.get(); }
    const BackendVersions &backendVersions() const { return m_versions; }
    QAction *startStopAction() const { return m_startStopAction; }
    QList<QAction *> measurementInactiveActions() const { return m_meaInactive; }
    QMenu *menuByTitle(const QString &title) const { return m_menusByTitle.value(title); }
    EventDisplay *eventDisplay() const { return m_eventDisplay; }
    QDockWidget *eventDock() const { return m_eventDock; }
    AppStatusBar *appStatusBar() const { return m_appStatusBar; }
    CamStatusBar *camStatusBar() const { return m_camStatusBar; }
    TrackingStatusBar *trackingStatusBar() const { return m_trackingStatusBar; }
    FreqStatusBar *freqStatusBar() const { return m_freqStatusBar; }
    RadioStatusBar *radioStatusBar() const { return m_radioStatusBar; }
    ModuleHost *moduleHost() const { return m_moduleHost.get(); }
    QString versionList() const { return m_versionList; }
    QToolBar *inertialToolBar() const { return m_inertialToolBar; }
    QString layoutFile() const;
    // Hands the latest preferences and layout to what keeps them when the
    // display goes away.
    void rememberSettings();
    QString defaultLayoutFile() const;
    QMenu *createPopupMenu() override;
    // Closes as the user would, but asks nothing: the measurement is left as
    // it is and the program ends (Ctrl+C, SIGTERM).
    void closeUnattended();

signals:
    void sendLastFeUpdateDate(QDateTime date);
    void sendVersionFeAndModules(QString text);
    void sendOpenMessageBox(int severance, QString title, QString msg);

public slots:
    void displayMessageBox(int severance, QString title, QString msg);
    void saveLayout();
    void loadLayout(bool bDefault);
    void toggleMeasurement();
    void update_status();
    void onReceiveConfigurationChanged();
    void onReceiveAppReadyToShutdown();
    void onReceiveMonitor2dTabChanged(QString text);
    void onReceiveMonitor2dMostActiveChanged(QString text);
    void onReceiveOpenBodyCalDialog(QString text);
    void onReceiveOpenBodyAdjustmentDialog(QString text);
    void onReceiveOpenHybridBodyCalibrationDialog(QString text);
    void onReceiveCloseHybridBodyCalibrationDialog();
    void onReceiveCloseBodyCalDialog();
    void onReceiveCloseBodyAdjustmentDialog();
    void onReceiveInertialChanged(QString text);
    void onSystemShutdown();
    void checkForOldFrontend();
    void apply_dark_theme();
    void setDarkTheme(bool dark);
    void apply_default_layout();
    void apply_bqc_reboot();
    void apply_search_hardware();
    void notify_body_admin();
    void setOnlyDisplay(bool b);
    void onMenuAboutToShow_update();
    void cleanupMeaInactiveAction();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void openMessageBox(int type, QString title, QString text) override;

    // The Help menu's information dialogs.
    void openAboutDialog();
    void openServiceDialog();

    // Start-up, in the order it runs.
    void buildPaths();
    void connectController();
    void initialiseController();
    void readControllerIdentity();
    void createActions();
    void createMenus();
    void createEventDisplay();
    void createToolBars();
    bool closingMustWait() const;
    static constexpr int CloseRetryMs = 20;
    // How old the settings kept for a vanishing display may be.
    static constexpr int RememberSettingsMs = 1000;
    void createStatusPoller();
    void onStateRead(const QString &state);
    void onSlowController(int replyMs);
    void detachStatusBars();
    void loadModules();
    void sendStartupMessages();
    void relay(const char *channel, const QString &text);
    void placeMenus();
    void startMeasurementIfAsked();
    void updateInertialToolBar();
    [[noreturn]] void endProcess();

    // Measurement and connection.
    void setMeasurementInactiveEnabled(bool enabled);
    void connectionLost();
    void prepareShutdown();
    void prepareClose(const char *finalCommand);
    void rereadControllerAddress();
    void readPreferences();
    void writePreferences();
    void updateWindowTitle();

    QMenu *addMenu(const QString &title, int key, int step);
    void insertAction(QMenu *menu, QAction *action, int key);
    void addMeasurementInactive(QAction *action);

    QString m_commandLine;
    CommandLine::Options m_options;
    Preferences m_prefs;
    QString m_appDir;
    QString m_configDir;
    QString m_preferencesFile;
    QString m_logsDir;
    StatusFeed *m_statusFeed = nullptr;

    std::unique_ptr<IOManagerUdpTcp> m_channel;
    std::unique_ptr<ModuleHost> m_moduleHost;
    QString m_versionList;
    unsigned short m_dataPort = 0;
    BackendVersions m_versions;
    QString m_connectedAddress;
    MainAppMessageReceiver *m_receiver = nullptr;
    StatusPoller *m_statusPoller = nullptr;
    bool m_synchronisationReported = false;
    QString m_lastStateRead;   // the previous status round's state
    QSet<QString> m_standingBoxes;   // title and text of the boxes open now

    QAction *m_startStopAction = nullptr;
    QAction *m_passwordAction = nullptr;
    QAction *m_shutdownAction = nullptr;
    QAction *m_rebootAction = nullptr;
    QAction *m_quitAction = nullptr;
    QAction *m_searchHardwareAction = nullptr;
    QAction *m_defaultLayoutAction = nullptr;
    QAction *m_darkThemeAction = nullptr;
    QAction *m_whatsThisAction = nullptr;
    QAction *m_serviceAction = nullptr;
    QAction *m_aboutAction = nullptr;
    QAction *m_aboutQtAction = nullptr;
    QMap<int, QMenu *> m_menusByKey;
    QMap<QString, QMenu *> m_menusByTitle;
    QList<QAction *> m_meaInactive;
    QToolBar *m_mainToolBar = nullptr;
    QList<QToolBar *> m_fixedToolBars;
    EventDisplay *m_eventDisplay = nullptr;
    QDockWidget *m_eventDock = nullptr;
    AppStatusBar *m_appStatusBar = nullptr;
    CamStatusBar *m_camStatusBar = nullptr;
    TrackingStatusBar *m_trackingStatusBar = nullptr;
    FreqStatusBar *m_freqStatusBar = nullptr;
    RadioStatusBar *m_radioStatusBar = nullptr;
    QPointer<QToolBar> m_inertialToolBar;

    // Reconnect.
    int m_reconnectCountdownS = 30;
    bool m_shutdownPrepared = false;
    bool m_unattended = false;
};
