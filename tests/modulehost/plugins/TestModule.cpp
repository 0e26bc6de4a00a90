#include "TestModule.h"

#include <QAction>
#include <QCoreApplication>
#include <QDockWidget>
#include <QLabel>
#include <QToolBar>

// Calls are recorded in an application property, so the test sees them
// without the module linking anything of the test.
void TestModule::record(const QString &call)
{
    // A module the host skipped is deleted by Qt's own clean-up after the application object.
    if (!qApp)
        return;
    QStringList calls = qApp->property("moduleCalls").toStringList();
    calls << moduleName() + QLatin1Char(':') + call;
    qApp->setProperty("moduleCalls", calls);
}

TestModule::~TestModule()
{
    record(QStringLiteral("delete"));
}

void TestModule::detachFromController()
{
    record(QStringLiteral("detach"));
}

void TestModule::destroyWidgets()
{
    record(QStringLiteral("destroyWidgets"));
    delete m_entry.widget;
    m_entry.widget = nullptr;
}

QString TestModule::moduleName()
{
    return QStringLiteral(TEST_MODULE_NAME);
}

QString TestModule::moduleVersion()
{
    return QStringLiteral("v0.0.1");
}

void TestModule::setModuleProperty(QString name, QVariant value)
{
    record(QStringLiteral("%1=%2").arg(name, QString::fromLatin1(value.typeName())));
    if (name == QLatin1String("ModuleParent"))
        m_parent = value.value<QWidget *>();
}

QList<ModuleWidgetEntry *> TestModule::moduleWidgets()
{
    if (!m_entries.isEmpty() || QLatin1String(TEST_MODULE_KIND) == QLatin1String("empty"))
        return m_entries;
    const QString kind = QStringLiteral(TEST_MODULE_KIND);
    m_entry.menuName = QStringLiteral("&Extras");
    if (kind == QLatin1String("dock")) {          // unnamed dock, disabled while measuring
        auto *dock = new QDockWidget(QStringLiteral("Alpha Dock"), m_parent);
        dock->setWidget(new QLabel(QStringLiteral("alpha"), dock));
        m_entry.widget = dock;
        m_entry.toggleAction = dock->toggleViewAction();
        m_entry.toggleAction->setText(QStringLiteral("Alpha"));
        m_entry.actionPosition = 150;
        m_entry.menuPosition = 500;
        m_entry.availableWhileMeasuring = 0;
    } else if (kind == QLatin1String("action")) { // same menu, negative position
        m_entry.toggleAction = new QAction(QStringLiteral("Beta"), m_parent);
        m_entry.actionPosition = -5;
        m_entry.menuPosition = 650;
    } else if (kind == QLatin1String("toolbar")) {
        m_entry.widget = new QToolBar(QStringLiteral("ZEL InertialSensor Status"));
        m_entry.toggleAction = new QAction(QStringLiteral("never placed"), m_entry.widget);
        m_entry.menuName = QStringLiteral("&Nowhere");
    } else if (kind == QLatin1String("service")) {
        m_entry.toggleAction = new QAction(QStringLiteral("Service"), m_parent);
        m_entry.menuName = QStringLiteral("&Service");
        m_entry.menuPosition = 800;
    } else if (kind == QLatin1String("central")) {
        auto *dock = new QDockWidget(QStringLiteral("Centre"), m_parent);
        auto *centre = new QLabel(QStringLiteral("centre"), dock);
        centre->setObjectName(QStringLiteral("TestCentre"));
        dock->setWidget(centre);
        m_entry.widget = dock;
        m_entry.toggleAction = dock->toggleViewAction();
        m_entry.menuName = QStringLiteral("&View");
        m_entry.menuPosition = 400;
        m_entry.actionPosition = 235;
    } else if (kind == QLatin1String("nulls")) {  // an entry with nothing in it
        m_entries << nullptr;
    }
    m_entries << &m_entry;
    return m_entries;
}
