// A new version starts with the settings of the one before, and the one
// before keeps its own.
#include "HoloviewConfigData.h"
#include "Preferences.h"
#include "SettingsMigration.h"
#include "TestHome.h"
#include "Version.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

void putFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_SettingsMigration : public QObject
{
    Q_OBJECT

private slots:
    // The newest older version by number, not by text; newer versions, odd
    // names and versions without settings are no source.
    void newestOlderVersionIsCopiedNotMoved()
    {
        QTemporaryDir root;
        putFile(root.filePath("v3.9.0/config/a.xml"), "3.9.0");
        putFile(root.filePath("v3.10.0/config/a.xml"), "3.10.0");
        putFile(root.filePath("v3.10.0/config/sub/b.layout"), "layout");
        putFile(root.filePath("v4.0.2/config/a.xml"), "newer");
        putFile(root.filePath("v4.0.1-rc1/config/a.xml"), "odd");
        QDir().mkpath(root.filePath("v4.0.0/config"));   // no settings of its own

        QCOMPARE(SettingsMigration::adoptOlder(root.path(), "v4.0.1"), QString("v3.10.0"));
        QCOMPARE(readFile(root.filePath("v4.0.1/config/a.xml")), QByteArray("3.10.0"));
        QCOMPARE(readFile(root.filePath("v4.0.1/config/sub/b.layout")), QByteArray("layout"));
        // The old version still reads what it wrote.
        QCOMPARE(readFile(root.filePath("v3.10.0/config/a.xml")), QByteArray("3.10.0"));
        QVERIFY(!QFileInfo::exists(root.filePath("v4.0.1/config.partial")));

        // Once it has its own, they stay, whatever changes in older folders.
        putFile(root.filePath("v4.0.1/config/a.xml"), "mine");
        putFile(root.filePath("v4.0.0/config/a.xml"), "4.0.0");
        QCOMPARE(SettingsMigration::adoptOlder(root.path(), "v4.0.1"), QString());
        QCOMPARE(readFile(root.filePath("v4.0.1/config/a.xml")), QByteArray("mine"));
    }

    void nothingOlderNothingCopied()
    {
        QTemporaryDir root;
        QCOMPARE(SettingsMigration::adoptOlder(root.path(), "v4.0.1"), QString());
        putFile(root.filePath("v5.0.0/config/a.xml"), "newer");
        QCOMPARE(SettingsMigration::adoptOlder(root.path(), "v4.0.1"), QString());
        QVERIFY(!QFileInfo::exists(root.filePath("v4.0.1/config")));
        QCOMPARE(SettingsMigration::adoptOlder(root.path(), "current"), QString());
    }

    // Where the program and the plug-in keep their settings: an upgrade finds
    // the preferences of the version before.
    void programAndPluginFoldersAreTakenOver()
    {
        TestHome home;
        const QString base = QDir::homePath() + "/.ZEL/QUORIX4";
        putFile(base + "/v4.0.0/config/current-preferences.xml", "<prefs/>");
        putFile(base + "/v4.0.0/config/quorix.layout", "layout");
        putFile(base + "/modules/holoview/v1.0.0/config/holoview-preferences.xml", "<holoview/>");

        QCOMPARE(Preferences::adoptOlderSettings(), QString("v4.0.0"));
        QCOMPARE(readFile(Preferences::currentFile()), QByteArray("<prefs/>"));
        QCOMPARE(readFile(Preferences::configDir() + "/quorix.layout"), QByteArray("layout"));

        using Configuration::HoloviewConfigData;
        QCOMPARE(SettingsMigration::adoptOlder(HoloviewConfigData::settingsRoot(), HoloviewConfigData::versionFolder()),
                 QString("v1.0.0"));
        QCOMPARE(readFile(HoloviewConfigData::settingsDirectory() + "/holoview-preferences.xml"), QByteArray("<holoview/>"));
    }

    // The README and the manual page send the user to the folders the
    // program really uses.
    void documentsNameTheRealFolders_data()
    {
        QTest::addColumn<QString>("document");
        QTest::newRow("README") << QStringLiteral(QUORIX_SOURCE_DIR "/README.md");
        QTest::newRow("man quorix4") << QStringLiteral(QUORIX_SOURCE_DIR "/doc/quorix4.1");
    }
    void documentsNameTheRealFolders()
    {
        QFETCH(QString, document);
        TestHome home;
        const QString text = QString::fromUtf8(readFile(document)).remove("\\");
        QVERIFY(!text.isEmpty());
        const auto shown = [](QString path) { return path.replace(QDir::homePath(), "~"); };
        QVERIFY2(text.contains(shown(Preferences::configDir())), qPrintable(shown(Preferences::configDir())));
        QVERIFY2(text.contains(shown(Preferences::logsDir())), qPrintable(shown(Preferences::logsDir())));
        const QString holoview = shown(Configuration::HoloviewConfigData::settingsDirectory());
        QVERIFY2(text.contains(holoview), qPrintable(holoview));
        QVERIFY2(text.contains("~/.ZEL/QUORIX4/commands_log.txt"), "commands log");
        // Holoview's file is not among the program's.
        QVERIFY(!text.contains(shown(Preferences::configDir()) + "/holoview"));
    }
};

QTEST_MAIN(tst_SettingsMigration)
#include "tst_settingsmigration.moc"
