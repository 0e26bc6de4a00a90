#pragma once

#include <QList>
#include <QString>

class IOManager;
class MainWindow;
class ModuleInterface;
struct BackendVersions;
struct ModuleWidgetEntry;

// Loads the GUI modules from the plug-in directory, hands them the four
// properties and places what they contribute into the main window.
class ModuleHost
{
public:
    explicit ModuleHost(MainWindow *window);
    ~ModuleHost();

    void load(const QString &directory, bool showService, IOManager *channel, BackendVersions *versions);
    bool isLoaded(const QString &name) const;
    QList<ModuleInterface *> modules() const { return m_modules; }
    // "v4.0.1  DATE|name;version|…"
    QString versionList() const;

    void detachAll();
    // destroyWidgets of every module first, then the modules themselves.
    void unloadAll();

    ModuleHost(const ModuleHost &) = delete;
    ModuleHost &operator=(const ModuleHost &) = delete;

private:
    void placeCentral(const QList<ModuleWidgetEntry *> &entries);
    void place(ModuleWidgetEntry *entry);

    MainWindow *m_window;
    QList<ModuleInterface *> m_modules;
};
