#pragma once

#include "BackendVersions.h"
#include "ControllerSession.h"
#include "Preferences.h"

#include <QMainWindow>

#include <memory>

class AppStatusBar;
class CamStatusBar;
class EventDisplay;
class FreqStatusBar;
class IOManagerUdpTcp;
class MainAppMessageReceiver;
class MeasurementControl;
class MenuRegistry;
class MessageBoxRelay;
class ModuleHost;
class ModuleRelay;
class QAction;
class QDockWidget;
class QMenu;
class QToolBar;
class RadioStatusBar;
class RecordingActions;
class StatusFeed;
class StatusPoller;
class TrackingStatusBar;

// The front end's one top-level window, built on a Controller that the
// start-up has connected and initialised (StartupController). It owns the
// channel from then on, with the event display, the status bars, the menus
// and the modules.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int RestartExitCode = 42;

    explicit MainWindow(ControllerSession session, QWidget *parent = nullptr);
    ~MainWindow() override;

    IOManagerUdpTcp *commandChannel() const { return m_channel.get(); }
    const BackendVersions &backendVersions() const { return m_versions; }
    MeasurementControl *measurement() const { return m_measurement; }
    QAction *startStopAction() const;
    QList<QAction *> measurementInactiveActions() const;
    QMenu *menuByTitle(const QString &title) const;
    EventDisplay *eventDisplay() const { return m_eventDisplay; }
    QDockWidget *eventDock() const { return m_eventDock; }
    AppStatusBar *appStatusBar() const { return m_appStatusBar; }
    CamStatusBar *camStatusBar() const { return m_camStatusBar; }
    TrackingStatusBar *trackingStatusBar() const { return m_trackingStatusBar; }
    FreqStatusBar *freqStatusBar() const { return m_freqStatusBar; }
    RadioStatusBar *radioStatusBar() const { return m_radioStatusBar; }
    ModuleHost *moduleHost() const { return m_moduleHost.get(); }
    ModuleRelay *moduleRelay() const { return m_relay; }
    QString versionList() const { return m_versionList; }
    QToolBar *inertialToolBar() const;
    QString layoutFile() const;
    QString defaultLayoutFile() const;
    // Hands the latest preferences and layout to what keeps them when the
    // display goes away.
    void rememberSettings();
    QMenu *createPopupMenu() override;
    // Closes as the user would, but asks nothing: the measurement is left as
    // it is and the program ends (Ctrl+C, SIGTERM).
    void closeUnattended();

public slots:
    void saveLayout();
    void loadLayout(bool bDefault);
    void update_status();
    void onReceiveConfigurationChanged();
    void onReceiveAppReadyToShutdown();
    void onReceiveInertialChanged(QString text);
    void onSystemShutdown();
    void checkForOldFrontend();
    void notify_body_admin();
    void apply_dark_theme();
    void setDarkTheme(bool dark);
    void apply_default_layout();
    void apply_bqc_reboot();
    void apply_search_hardware();
    void setOnlyDisplay(bool b);
    void updateInertialToolBar();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The outline of the constructor.
    void createMenus();
    void createActions();
    // A new action in the menu of that title; its status tip is its What's This help too.
    QAction *placeAction(const QString &menu, int key, const QString &text, const QString &tip,
                       bool inactiveWhileMeasuring = false);
    void createDocks(EventDisplay *eventDisplay);
    void createToolBars();
    void createStatusPoller();
    void loadPlugins();
    void listenToModules();
    void readSettings();

    void openAboutDialog();
    void openServiceDialog();
    void onSlowController(int replyMs);
    void detachStatusBars();
    void connectionLost();
    void prepareShutdown();
    void prepareClose(const char *finalCommand);
    void rereadControllerAddress();
    void writePreferences();
    void updateWindowTitle();
    bool closingMustWait() const;

    static constexpr int CloseRetryMs = 20;
    // How old the settings kept for a vanishing display may be.
    static constexpr int RememberSettingsMs = 1000;

    // Declared before the channel: the channel calls it until it is gone.
    std::unique_ptr<MessageBoxRelay> m_boxes;
    std::unique_ptr<IOManagerUdpTcp> m_channel;
    Preferences m_prefs;
    BackendVersions m_versions;
    QString m_connectedAddress;
    std::unique_ptr<ModuleHost> m_moduleHost;
    QString m_versionList;

    MenuRegistry *m_menus = nullptr;
    MeasurementControl *m_measurement = nullptr;
    ModuleRelay *m_relay = nullptr;
    StatusPoller *m_statusPoller = nullptr;
    StatusFeed *m_statusFeed = nullptr;
    RecordingActions *m_recording = nullptr;
    MainAppMessageReceiver *m_receiver = nullptr;

    QAction *m_darkThemeAction = nullptr;

    QList<QToolBar *> m_fixedToolBars;
    EventDisplay *m_eventDisplay = nullptr;
    QDockWidget *m_eventDock = nullptr;
    AppStatusBar *m_appStatusBar = nullptr;
    CamStatusBar *m_camStatusBar = nullptr;
    TrackingStatusBar *m_trackingStatusBar = nullptr;
    FreqStatusBar *m_freqStatusBar = nullptr;
    RadioStatusBar *m_radioStatusBar = nullptr;

    bool m_shutdownPrepared = false;
    bool m_unattended = false;
};
