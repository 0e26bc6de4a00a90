// The install tree and the Debian packages: what lands where, that the
// installed program runs from any working directory against the installed
// simulator, and what the validators and lintian say about the result.
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

const QString AppId = QStringLiteral("local.quorix.quorix4");

struct Run
{
    int exitCode = -1;
    QString output;
};

Run run(const QString &program, const QStringList &arguments, int timeoutMs = 120000,
        const QString &workingDirectory = QString())
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.output = QStringLiteral("timed out: ") + program;
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromLocal8Bit(process.readAll());
    return result;
}

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Waits until the simulator's command log holds a line ending with command.
bool logShows(const QString &logPath, const QString &command, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        for (const QString &line : readFile(logPath).split('\n'))
            if (line.endsWith(command))
                return true;
        QTest::qWait(100);
    }
    return false;
}

} // namespace

class tst_Packaging : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installTreeHoldsEverything();
    void installedFilesNameTheInstalledPaths();
    void installedProgramRunsFromAnotherDirectory();
    void desktopEntryAndMetainfoPassTheirValidators();
    void debianPackagesSplitTheTree();

private:
    QTemporaryDir m_prefix;
    QString m_installOutput;
};

void tst_Packaging::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    const Run install = run(QStringLiteral(QUORIX_CMAKE),
                            {"--install", QStringLiteral(QUORIX_BUILD_DIR), "--prefix", m_prefix.path()});
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));
}

void tst_Packaging::installTreeHoldsEverything()
{
    const QDir p(m_prefix.path());
    QStringList expected{
        "bin/quorix4", "bin/controller-sim",
        "lib/quorix4/quorix4", "lib/quorix4/controller-sim",
        "lib/quorix4/config/default-preferences.xml",
        "lib/quorix4/lang/quorix4_de.qm",
        "share/applications/" + AppId + ".desktop",
        "share/metainfo/" + AppId + ".metainfo.xml",
        "share/icons/hicolor/scalable/apps/" + AppId + ".svg",
        "share/icons/hicolor/48x48/apps/" + AppId + ".png",
        "share/icons/hicolor/256x256/apps/" + AppId + ".png",
        "share/man/man1/quorix4.1.gz", "share/man/man1/controller-sim.1.gz",
        "lib/systemd/system/quorix-backend.service",
        "share/doc/quorix4/copyright", "share/doc/quorix4-sim/copyright", "share/doc/quorix4-l10n-de/copyright",
    };
#ifdef QUORIX_WITH_HOLOVIEW
    expected << "lib/quorix4/plugins/libholoview.so" << "lib/quorix4/lang/holoview_de.qm";
#endif
    for (const QString &file : expected)
        QVERIFY2(QFileInfo::exists(p.filePath(file)), qPrintable(file + " is missing"));

    // The simulator's link is relative, so the tree works wherever it lands.
    const QFileInfo link(p.filePath("bin/controller-sim"));
    QVERIFY(link.isSymLink());
    QCOMPARE(link.symLinkTarget(), p.filePath("lib/quorix4/controller-sim"));
    QVERIFY(QFileInfo(p.filePath("bin/quorix4")).isExecutable());
}

void tst_Packaging::installedFilesNameTheInstalledPaths()
{
    const QDir p(m_prefix.path());
    const QString desktop = readFile(p.filePath("share/applications/" + AppId + ".desktop"));
    QVERIFY(desktop.contains("\nExec=" + p.filePath("lib/quorix4/quorix4") + "\n"));
    QVERIFY(desktop.contains("\nPath=" + p.filePath("lib/quorix4") + "\n"));   // translations are found from there
    QVERIFY(!desktop.contains('@'));
    const QString unit = readFile(p.filePath("lib/systemd/system/quorix-backend.service"));
    QVERIFY(unit.contains("\nExecStart=" + p.filePath("bin/controller-sim") + " --bind 127.0.0.1\n"));
}

void tst_Packaging::installedProgramRunsFromAnotherDirectory()
{
    TestHome home;
    QTemporaryDir elsewhere;
    const QDir p(m_prefix.path());
    const QString address = QStringLiteral("127.0.19.1");
    const QString log = elsewhere.filePath("sim.log");

    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedChannels);
    sim.setWorkingDirectory(elsewhere.path());
    sim.start(p.filePath("bin/controller-sim"), {"--bind", address, "--log", log});
    QVERIFY(sim.waitForStarted());

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(elsewhere.path());
    program.setProcessChannelMode(QProcess::MergedChannels);
    // The simulator may need a moment to listen; the program gives up at once.
    QTest::qWait(500);
    program.start(p.filePath("bin/quorix4"), {"-host", address});
    QVERIFY(program.waitForStarted());

    const bool connected = logShows(log, "quorix2 set output active chmon 2dmon yes", 60000);
#ifdef QUORIX_WITH_HOLOVIEW
    // Only the plug-in asks for the room's coordinate type.
    const bool pluginLoaded = connected && logShows(log, "quorix2 get roomcal coordinate_type", 30000);
#else
    const bool pluginLoaded = true;
#endif
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    const bool ended = program.waitForFinished(30000);
    if (!ended) {
        program.kill();
        program.waitForFinished();
    }
    sim.terminate();
    sim.waitForFinished();
    const QString output = QString::fromLocal8Bit(program.readAll());
    QVERIFY2(connected, qPrintable(output + readFile(log)));
    QVERIFY2(pluginLoaded, qPrintable(output + readFile(log)));
    QVERIFY2(ended, "the program did not end on SIGTERM");
    QCOMPARE(program.exitCode(), 0);
    // It closed as a user would: the preferences were written.
    QVERIFY(QFileInfo::exists(home.path() + "/.ZEL/QUORIX4/v4.0.1/config/current-preferences.xml"));
}

void tst_Packaging::desktopEntryAndMetainfoPassTheirValidators()
{
    const QDir p(m_prefix.path());
    const QString validate = QStandardPaths::findExecutable("desktop-file-validate");
    const QString appstream = QStandardPaths::findExecutable("appstreamcli");
    if (validate.isEmpty() && appstream.isEmpty())
        QSKIP("neither desktop-file-validate nor appstreamcli is installed (scripts/bootstrap installs them)");
    if (!validate.isEmpty()) {
        const Run r = run(validate, {p.filePath("share/applications/" + AppId + ".desktop")});
        QVERIFY2(r.exitCode == 0 && r.output.trimmed().isEmpty(), qPrintable(r.output));
    }
    if (!appstream.isEmpty()) {
        // No network here: the screenshot's address is not fetched.
        const Run r = run(appstream, {"validate", "--no-net", "--pedantic", p.filePath("share/metainfo/" + AppId + ".metainfo.xml")});
        QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    }
}

void tst_Packaging::debianPackagesSplitTheTree()
{
    const QString dpkgDeb = QStandardPaths::findExecutable("dpkg-deb");
    if (dpkgDeb.isEmpty() || QStringLiteral(QUORIX_CPACK).isEmpty())
        QSKIP("dpkg-deb or cpack is missing");
    QTemporaryDir out;
    const Run cpack = run(QStringLiteral(QUORIX_CPACK),
                          {"-G", "DEB", "--config", QStringLiteral(QUORIX_BUILD_DIR "/CPackConfig.cmake"), "-B", out.path()},
                          240000);
    QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.output));

    QMap<QString, QString> contents, fields;   // by package name
    const QStringList debs = QDir(out.path()).entryList({"*.deb"}, QDir::Files, QDir::Name);
    for (const QString &deb : debs) {
        const QString path = out.filePath(deb);
        const QString name = run(dpkgDeb, {"--field", path, "Package"}).output.trimmed();
        contents[name] = run(dpkgDeb, {"--contents", path}).output;
        fields[name] = run(dpkgDeb, {"--field", path}).output;
        qInfo().noquote() << deb << QFileInfo(path).size() / 1024 << "KiB";
    }
    QCOMPARE(contents.keys(), (QStringList{"quorix4", "quorix4-l10n-de", "quorix4-sim"}));

    // Each file in one package only: the program without translations or
    // simulator, the translations alone, the simulator with its unit.
    QVERIFY(contents["quorix4"].contains("./usr/lib/quorix4/quorix4\n"));
    QVERIFY(contents["quorix4"].contains("./usr/bin/quorix4\n"));
    QVERIFY(contents["quorix4"].contains("./usr/share/man/man1/quorix4.1.gz"));
    QVERIFY(!contents["quorix4"].contains(".qm"));
    QVERIFY(!contents["quorix4"].contains("controller-sim"));
    QVERIFY(contents["quorix4-l10n-de"].contains("./usr/lib/quorix4/lang/quorix4_de.qm"));
    QVERIFY(!contents["quorix4-l10n-de"].contains("/bin/"));
    QVERIFY(contents["quorix4-sim"].contains("./usr/bin/controller-sim -> ../lib/quorix4/controller-sim"));
    QVERIFY(contents["quorix4-sim"].contains("quorix-backend.service"));
#ifdef QUORIX_WITH_HOLOVIEW
    QVERIFY(contents["quorix4"].contains("./usr/lib/quorix4/plugins/libholoview.so"));
#endif

    // Dependencies come from the binaries; the translation needs its program.
    const auto field = [&fields](const QString &package, const QString &pattern) {
        return fields[package].contains(QRegularExpression("^" + pattern + "$", QRegularExpression::MultilineOption));
    };
    QVERIFY2(field("quorix4", "Depends:.*libqt5widgets5.*"), qPrintable(fields["quorix4"]));
    QVERIFY2(field("quorix4-sim", "Depends:.*libqt5network5.*"), qPrintable(fields["quorix4-sim"]));
    QVERIFY(!field("quorix4-sim", "Depends:.*libqt5widgets5.*"));
    QVERIFY(field("quorix4-l10n-de", "Depends: quorix4 \\(= 4\\.0\\.1-1\\), qttranslations5-l10n"));
    QVERIFY(field("quorix4-l10n-de", "Architecture: all"));

    // The unit names the packaged simulator, not the staging directory.
    QTemporaryDir unpacked;
    for (const QString &deb : debs)
        if (deb.startsWith("quorix4-sim"))
            QCOMPARE(run(dpkgDeb, {"-x", out.filePath(deb), unpacked.path()}).exitCode, 0);
    QVERIFY(readFile(unpacked.filePath("usr/lib/systemd/system/quorix-backend.service"))
                .contains("\nExecStart=/usr/bin/controller-sim --bind 127.0.0.1\n"));

    const QString lintian = QStandardPaths::findExecutable("lintian");
    if (lintian.isEmpty())
        QSKIP("lintian is not installed (scripts/bootstrap installs it); packages built and listed");
    QStringList lintianArguments{"--no-cfg", "--tag-display-limit", "0"};
    for (const QString &deb : debs)
        lintianArguments << out.filePath(deb);
    const Run report = run(lintian, lintianArguments, 240000);
    qInfo().noquote() << "lintian:\n" + report.output;
    // Errors and warnings block, except those packaging/lintian.md explains.
    const QStringList known{"initial-upload-closes-no-bugs"};
    for (const QString &line : report.output.split('\n')) {
        const QRegularExpressionMatch m = QRegularExpression("^[EW]: \\S+: (\\S+)").match(line);
        QVERIFY2(!m.hasMatch() || known.contains(m.captured(1)), qPrintable(line));
    }
}

QTEST_GUILESS_MAIN(tst_Packaging)
#include "tst_packaging.moc"
