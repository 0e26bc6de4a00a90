// What a module built from the SDK folder alone meets in the host: it loads,
// its calls reach the host's channel through the table, its dock comes and
// goes as the host asks; and the SDK's file helpers never act through a link.
#include "BackendVersions.h"
#include "FakeChannel.h"
#include "MessageBoxProvider.h"
#include "ModuleInterface.h"
#include "PrivateFiles.h"
#include "TableSlot.h"
#include "TestHome.h"

#include <QAction>
#include <QCoreApplication>
#include <QDockWidget>
#include <QLabel>
#include <QMainWindow>
#include <QPluginLoader>
#include <QPointer>
#include <QtTest>

#include <cerrno>
#include <cstring>

namespace {

int modeOf(const QString &path)
{
    return int(QFileInfo(path).permissions() & 0x0777);   // Qt's owner and user bits agree
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &path, const QByteArray &content, QFile::Permissions rights)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.setPermissions(rights);
}

} // namespace

class tst_Sdk : public QObject
{
    Q_OBJECT

private slots:
    void moduleSlotsKeepTheirOrder();
    void moduleBuiltFromTheSdkWorksThroughTheInterface();
    void ownerOnlyRightsNeverFollowALink();
};

// The channel's slots are checked with the channel; these are the module's
// (after the destructor's two) and the box provider's.
void tst_Sdk::moduleSlotsKeepTheirOrder()
{
    const QList<std::ptrdiff_t> order = {
        slotOf(&ModuleInterface::detachFromController), slotOf(&ModuleInterface::destroyWidgets),
        slotOf(&ModuleInterface::moduleName), slotOf(&ModuleInterface::moduleVersion),
        slotOf(&ModuleInterface::moduleWidgets), slotOf(&ModuleInterface::setModuleProperty)};
    for (int i = 0; i < order.size(); ++i)
        QCOMPARE(order[i], std::ptrdiff_t(i + 2));
    QCOMPARE(slotOf(&MessageBoxProvider::openMessageBox), std::ptrdiff_t(0));
}

void tst_Sdk::moduleBuiltFromTheSdkWorksThroughTheInterface()
{
    QPluginLoader loader(QCoreApplication::applicationDirPath() + QStringLiteral("/plugins/libsdk_probe.so"));
    QVERIFY2(loader.load(), qPrintable(loader.errorString()));
    QPointer<QObject> root = loader.instance();
    auto *module = qobject_cast<ModuleInterface *>(root.data());
    QVERIFY(module);
    QCOMPARE(module->moduleName(), QStringLiteral("SDK Probe"));
    QCOMPARE(module->moduleVersion(), QStringLiteral("v2.3.4"));

    // The properties as the host hands them; wrong types are taken as none.
    FakeChannel channel;
    channel.setValue("system version", "v1.24.0");
    BackendVersions versions;
    versions.model = QStringLiteral("KESTRALINE");
    QMainWindow window;
    module->setModuleProperty(QStringLiteral("CommandManager"), QVariant::fromValue(static_cast<IOManager *>(&channel)));
    module->setModuleProperty(QStringLiteral("ModuleParent"), QVariant::fromValue(static_cast<QWidget *>(&window)));
    module->setModuleProperty(QStringLiteral("BackendVersions"), QVariant::fromValue(&versions));
    module->setModuleProperty(QStringLiteral("ObserverMode"), QStringLiteral("yes"));

    const QList<ModuleWidgetEntry *> entries = module->moduleWidgets();
    QCOMPARE(entries.size(), 1);
    ModuleWidgetEntry *entry = entries.first();
    QCOMPARE(entry->menuName, QStringLiteral("&Probe"));
    QCOMPARE(entry->menuPosition, 450);
    QCOMPARE(entry->actionPosition, 30);
    QCOMPARE(entry->availableWhileMeasuring, 0);
    QPointer<QDockWidget> dock = qobject_cast<QDockWidget *>(entry->widget);
    QVERIFY(dock);
    QCOMPARE(dock->parent(), &window);
    QCOMPARE(dock->objectName(), QStringLiteral("ProbeDock"));
    QCOMPARE(entry->toggleAction, dock->toggleViewAction());
    QCOMPARE(entry->toggleAction->text(), QStringLiteral("&Probe"));
    QCOMPARE(entry->toggleAction->statusTip(), QStringLiteral("Show the probe"));
    // Asked again, the host gets the same entry, not a second dock.
    QCOMPARE(module->moduleWidgets(), entries);
    QCOMPARE(window.findChildren<QDockWidget *>().size(), 1);

    // The module's calls reach the channel's slots, and the channel's reach the module.
    QPointer<QLabel> label = qobject_cast<QLabel *>(dock->widget());
    QVERIFY(label);
    QCOMPARE(channel.commands(), QList<QByteArray>{"quorix2 get system version"});
    QCOMPARE(label->text(), QStringLiteral("v1.24.0/KESTRALINE"));
    QCOMPARE(channel.notifyMeasurementStarted(), 0);
    QCOMPARE(label->text(), QStringLiteral("measuring"));
    QCOMPARE(channel.sendMessage("SdkProbe", "Quorix2", 1, "hello"), 0);
    QCOMPARE(label->text(), QStringLiteral("1|Quorix2|hello"));

    // The host may take the content out of the dock; destroying the widgets takes both.
    window.setCentralWidget(label);
    module->destroyWidgets();
    QVERIFY(!dock);
    QVERIFY(!label);
    QCOMPARE(entry->widget, nullptr);
    QCOMPARE(entry->toggleAction, nullptr);
    module->detachFromController();
    QCOMPARE(channel.sendMessage("SdkProbe", "Quorix2", 1, "gone"), -1);

    // A later request makes a new dock.
    QCOMPARE(module->moduleWidgets().size(), 1);
    QCOMPARE(window.findChildren<QDockWidget *>().size(), 1);
    module->detachFromController();
    delete root.data();
    QCOMPARE(window.findChildren<QDockWidget *>().size(), 0);
}

void tst_Sdk::ownerOnlyRightsNeverFollowALink()
{
    TestHome home;
    const QString root = PrivateFiles::userRoot();
    QCOMPARE(root, home.path() + QStringLiteral("/.ZEL/QUORIX4"));
    const QString outside = home.path() + QStringLiteral("/shared.txt");
    const QString outsideDir = home.path() + QStringLiteral("/shared");
    const QFile::Permissions open = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser
        | QFile::ReadGroup | QFile::ReadOther;
    QVERIFY(writeFile(outside, "theirs\n", open));
    QVERIFY(QDir().mkpath(outsideDir));
    QVERIFY(QFile::setPermissions(outsideDir, open | QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther));

    QVERIFY(PrivateFiles::makeDir(root + QStringLiteral("/logs")));
    QCOMPARE(modeOf(root), 0x0700);
    QCOMPARE(modeOf(root + QStringLiteral("/logs")), 0x0700);
    const QString own = root + QStringLiteral("/logs/own.txt");
    QVERIFY(writeFile(own, "ours\n", open));
    const QString fileLink = root + QStringLiteral("/logs/link.txt");
    QVERIFY(QFile::link(outside, fileLink));
    QVERIFY(QFile::link(outsideDir, root + QStringLiteral("/logs/linked-dir")));

    // A link is neither changed nor followed, by any of the helpers.
    QVERIFY(!PrivateFiles::restrictFile(fileLink));
    PrivateFiles::restrictTree(root);
    QCOMPARE(modeOf(own), 0x0600);
    QCOMPARE(modeOf(outside), 0x0644);
    QCOMPARE(modeOf(outsideDir), 0x0755);

    QFile through(fileLink);
    QCOMPARE(PrivateFiles::openToAppend(through), ELOOP);
    QVERIFY(!through.isOpen());
    QCOMPARE(contentOf(outside), QByteArray("theirs\n"));
    QCOMPARE(modeOf(outside), 0x0644);

    // A file of ours opened to append: made 0600, or made so again.
    const QString freshPath = root + QStringLiteral("/logs/fresh.txt");
    {
        QFile fresh(freshPath);
        QCOMPARE(PrivateFiles::openToAppend(fresh), 0);
        QCOMPARE(fresh.write("a\n"), qint64(2));
    }
    QCOMPARE(modeOf(freshPath), 0x0600);
    QVERIFY(QFile::setPermissions(freshPath, open));
    {
        QFile again(freshPath);
        QCOMPARE(PrivateFiles::openToAppend(again, QIODevice::Unbuffered), 0);
        QCOMPARE(again.write("b\n"), qint64(2));
    }
    QCOMPARE(modeOf(freshPath), 0x0600);
    QCOMPARE(contentOf(freshPath), QByteArray("a\nb\n"));
}

QTEST_MAIN(tst_Sdk)
#include "tst_sdk.moc"
