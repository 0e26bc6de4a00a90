// The install tree and the Debian packages: what lands where, that the
// installed program runs from any working directory against the installed
// simulator, that every binary is hardened and the back end's unit sandboxed,
// that two builds give the same packages, and what the validators and lintian
// say about the result.
#include "TestHome.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
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
    void installedBinariesAreHardened();
    void backendUnitIsSandboxed();
    void licenceNoticeOffersNothingUnshipped();
    void documentsEmbedOnlyDejaVu();
    void documentToolRefusesMissingFont();
    void debianPackagesSplitTheTree();
    void simulatorPackageStopsAndForgetsItsUnit();
    void twoBuildsGiveTheSamePackages();

private:
    // The packages of the build tree, made once: the name of the directory.
    QString packages();

    QTemporaryDir m_prefix;
    QTemporaryDir m_debs;
    bool m_packed = false;
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
        // Data that does not depend on the architecture, where Debian wants it;
        // the program finds it through links in its own directory.
        "share/quorix4/config/default-preferences.xml", "lib/quorix4/config/default-preferences.xml",
        "share/quorix4/lang/quorix4_de.qm", "lib/quorix4/lang/quorix4_de.qm",
        "lib/quorix4/plugins/libhealth.so", "share/quorix4/lang/health_de.qm",
        "share/quorix4/license/ZEL_OSD.pdf", "lib/quorix4/license/ZEL_OSD.pdf",
        "share/doc/quorix4/users_guide.pdf", "share/doc/quorix4/installation_guide.pdf",
        "share/doc/quorix4/programmers_guide.pdf", "lib/quorix4/doc/users_guide.pdf",
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
    // Only links in the program's directory: nothing there but what is built for the machine.
    for (const char *dir : {"config", "lang", "license", "doc"}) {
        const QFileInfo link(p.filePath(QStringLiteral("lib/quorix4/") + dir));
        QVERIFY2(link.isSymLink(), dir);
        // Relative: it leads into the same tree wherever that lands.
        QVERIFY2(link.canonicalFilePath().startsWith(QFileInfo(p.path()).canonicalFilePath() + "/share/"), dir);
    }
    QVERIFY(QDir(p.filePath("lib/quorix4")).entryList({"*.pdf", "*.qm", "*.xml"}, QDir::Files).isEmpty());

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

void tst_Packaging::installedBinariesAreHardened()
{
    const QString check = QStandardPaths::findExecutable("hardening-check");
    if (check.isEmpty())
        QSKIP("hardening-check is not installed (devscripts; scripts/bootstrap installs it)");
    if (!QStringLiteral(QUORIX_SANITIZE).isEmpty() || QStringLiteral(QUORIX_BUILD_TYPE) == "Debug")
        QSKIP("a sanitizer or debug build is no shipped configuration");

    // Every object of the build got the flags. (Two things hardening-check
    // cannot see in a binary are checked here: that code without a single call
    // of known size was compiled fortified all the same, and -fcf-protection,
    // whose mark on the binary needs C start files built with it too, which
    // Debian 12's are not.)
    QFile commands(QStringLiteral(QUORIX_BUILD_DIR "/compile_commands.json"));
    QVERIFY(commands.open(QIODevice::ReadOnly));
    const QJsonArray entries = QJsonDocument::fromJson(commands.readAll()).array();
    QVERIFY(!entries.isEmpty());
    for (const QJsonValue &entry : entries) {
        const QString command = entry.toObject().value("command").toString();
        for (const char *flag : {"-fstack-protector-strong", "-fcf-protection", "-D_FORTIFY_SOURCE=2", "-ffile-prefix-map="})
            QVERIFY2(command.contains(QLatin1String(flag)), qPrintable(flag + (" missing in " + command)));
    }

    // Every ELF file, found by its magic rather than by name.
    QStringList elves;
    QDirIterator it(m_prefix.path(), QDir::Files | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly) && file.read(4) == "\x7f" "ELF")
            elves << file.fileName();
    }
    QVERIFY(elves.size() >= 3);
    for (const QString &elf : qAsConst(elves)) {
        Run r = run(check, {"--nocfprotection", elf});
        qInfo().noquote() << r.output.trimmed();
        // hardening-check counts a program whose every copy has a size known
        // only at run time as not fortified; the flags above say it is.
        if (r.exitCode != 0 && r.output.contains("Fortify Source functions: no, only unprotected functions found!"))
            r = run(check, {"--nocfprotection", "--nofortify", elf});
        QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    }
}

void tst_Packaging::backendUnitIsSandboxed()
{
    const QString analyze = QStandardPaths::findExecutable("systemd-analyze");
    if (analyze.isEmpty())
        QSKIP("systemd-analyze is not installed");
    const QString unit = m_prefix.filePath("lib/systemd/system/quorix-backend.service");
    const Run r = run(analyze, {"security", "--offline=yes", "--no-pager", unit});
    const QRegularExpressionMatch m =
        QRegularExpression("Overall exposure level for quorix-backend.service: (\\d+\\.\\d)").match(r.output);
    QVERIFY2(m.hasMatch(), qPrintable(r.output));
    qInfo().noquote() << m.captured(0);
    QVERIFY2(m.captured(1).toDouble() <= 2.0, qPrintable(r.output));
    // Still the loopback back end: its own address, and loopback traffic allowed.
    const QString text = readFile(unit);
    QVERIFY(text.contains("--bind 127.0.0.1\n"));
    QVERIFY(text.contains("\nIPAddressAllow=localhost\n"));
    QVERIFY(text.contains("\nRestrictAddressFamilies=AF_INET AF_INET6\n"));
    QVERIFY(!text.contains("PrivateNetwork=yes"));
}

void tst_Packaging::licenceNoticeOffersNothingUnshipped()
{
    // Qt comes from Debian's own packages: the notice points to their sources
    // instead of promising to send a copy.
    const QString notice = readFile(QStringLiteral(QUORIX_SOURCE_DIR "/doc/ZEL_OSD.md"));
    QVERIFY(!notice.isEmpty());
    QVERIFY(!notice.contains("On request we send"));
    QVERIFY(notice.contains("apt-get source"));
    QVERIFY(notice.contains("https://sources.debian.org"));
}

// The guides embed the DejaVu faces that quorix-docgen loads from their
// files and nothing that fontconfig found elsewhere; emphasis is set in the
// real oblique face, not a slanted regular one (which would differ with the
// font packages installed on the building machine).
void tst_Packaging::documentsEmbedOnlyDejaVu()
{
    const QSet<QString> own{"DejaVuSans", "DejaVuSans-Bold", "DejaVuSans-Oblique", "DejaVuSans-BoldOblique",
                            "DejaVuSansMono", "DejaVuSansMono-Bold", "DejaVuSansMono-Oblique",
                            "DejaVuSansMono-BoldOblique"};
    const QDir p(m_prefix.path());
    const QStringList pdfs{"share/doc/quorix4/users_guide.pdf", "share/doc/quorix4/installation_guide.pdf",
                           "share/doc/quorix4/programmers_guide.pdf", "share/quorix4/license/ZEL_OSD.pdf"};
    const QRegularExpression baseFont(QStringLiteral("/BaseFont\\s*/([A-Za-z0-9+-]+)"));
    for (const QString &pdf : pdfs) {
        QFile file(p.filePath(pdf));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(pdf));
        const QByteArray bytes = file.readAll();
        const QString text = QString::fromLatin1(bytes.constData(), bytes.size());   // past the first zero byte
        QSet<QString> fonts;
        for (auto it = baseFont.globalMatch(text); it.hasNext();)
            fonts << it.next().captured(1).section('+', -1);   // without a subset prefix
        QVERIFY2(!fonts.isEmpty(), qPrintable(pdf));
        for (const QString &font : qAsConst(fonts))
            QVERIFY2(own.contains(font), qPrintable(pdf + " embeds " + font));
        if (pdf.endsWith("users_guide.pdf"))
            QVERIFY2(fonts.contains("DejaVuSans-Oblique"), qPrintable(pdf + ": emphasis is not in DejaVu Sans Oblique"));
    }
}

// A face that is not there stops the build with its name instead of being
// replaced by another.
void tst_Packaging::documentToolRefusesMissingFont()
{
    const QString docgen = QStringLiteral(QUORIX_BUILD_DIR "/tools/quorix-docgen");
    QVERIFY(QFileInfo(docgen).isExecutable());
    QTemporaryDir fonts, out;
    // Every face but the oblique one (fonts-dejavu-extra).
    for (const QString &file : QDir("/usr/share/fonts/truetype/dejavu").entryList({"DejaVuSans*.ttf"}))
        if (file != "DejaVuSans-Oblique.ttf")
            QVERIFY(QFile::link("/usr/share/fonts/truetype/dejavu/" + file, fonts.filePath(file)));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QUORIX_DOC_FONT_DIR", fonts.path());
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(docgen, {QStringLiteral(QUORIX_SOURCE_DIR "/doc/users_guide.md"), out.filePath("guide.pdf")});
    QVERIFY(process.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(process.readAll());
    QCOMPARE(process.exitCode(), 1);
    QVERIFY2(output.contains("DejaVuSans-Oblique.ttf is missing"), qPrintable(output));
    QVERIFY2(output.contains("fonts-dejavu-extra"), qPrintable(output));
}

QString tst_Packaging::packages()
{
    if (!m_packed) {
        m_packed = true;
        const Run cpack = run(QStringLiteral(QUORIX_CPACK),
                              {"-G", "DEB", "--config", QStringLiteral(QUORIX_BUILD_DIR "/CPackConfig.cmake"), "-B",
                               m_debs.path()},
                              240000);
        if (cpack.exitCode != 0)
            qWarning().noquote() << cpack.output;
    }
    return m_debs.path();
}

void tst_Packaging::debianPackagesSplitTheTree()
{
    const QString dpkgDeb = QStandardPaths::findExecutable("dpkg-deb");
    if (dpkgDeb.isEmpty() || QStringLiteral(QUORIX_CPACK).isEmpty())
        QSKIP("dpkg-deb or cpack is missing");
    const QDir out(packages());

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
    QVERIFY(contents["quorix4-l10n-de"].contains("./usr/share/quorix4/lang/quorix4_de.qm"));
    QVERIFY(contents["quorix4"].contains("./usr/share/doc/quorix4/users_guide.pdf"));
    QVERIFY(contents["quorix4"].contains("./usr/lib/quorix4/lang -> ../../share/quorix4/lang"));
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
    QStringList lintianArguments{"--no-cfg", "--pedantic", "--display-info", "--tag-display-limit", "0"};
    for (const QString &deb : debs)
        lintianArguments << out.filePath(deb);
    const Run report = run(lintian, lintianArguments, 240000);
    qInfo().noquote() << "lintian:\n" + report.output;
    // No errors; every other tag is explained in packaging/lintian.md.
    const QString explained = readFile(QStringLiteral(QUORIX_SOURCE_DIR "/packaging/lintian.md"));
    QVERIFY(!explained.isEmpty());
    for (const QString &line : report.output.split('\n')) {
        const QRegularExpressionMatch m = QRegularExpression("^([EWIPX]): \\S+: (\\S+)").match(line);
        if (!m.hasMatch())
            continue;
        QVERIFY2(m.captured(1) != "E", qPrintable(line));
        QVERIFY2(explained.contains('`' + m.captured(2) + '`'), qPrintable(line + " is not in packaging/lintian.md"));
    }
}

void tst_Packaging::simulatorPackageStopsAndForgetsItsUnit()
{
    const QString dpkgDeb = QStandardPaths::findExecutable("dpkg-deb");
    if (dpkgDeb.isEmpty())
        QSKIP("dpkg-deb is missing");
    const QDir out(packages());
    const QStringList sim = out.entryList({"quorix4-sim_*.deb"}, QDir::Files);
    QCOMPARE(sim.size(), 1);
    QTemporaryDir control;
    QCOMPARE(run(dpkgDeb, {"-e", out.filePath(sim.first()), control.path()}).exitCode, 0);

    // The scripts run as dpkg runs them, on a machine booted with systemd (a
    // private /run says so), with the helpers replaced by recorders.
    QTemporaryDir stubs;
    const QString calls = stubs.filePath("calls");
    for (const char *tool : {"deb-systemd-helper", "deb-systemd-invoke", "systemctl"}) {
        QFile stub(stubs.filePath(tool));
        QVERIFY(stub.open(QIODevice::WriteOnly));
        stub.write(QByteArray("#!/bin/sh\necho \"") + tool + " $*\" >>" + calls.toUtf8() + "\n");
        stub.close();
        stub.setPermissions(stub.permissions() | QFileDevice::ExeOwner);
    }
    if (run("unshare", {"--mount", "--map-root-user", "true"}).exitCode != 0)
        QSKIP("no private mount namespace on this machine");
    const auto script = [&](const QString &name, const QString &argument) {
        QFile::remove(calls);
        const QString command = QStringLiteral("mount -t tmpfs tmpfs /run && mkdir -p /run/systemd/system && "
                                               "PATH=%1:$PATH sh %2 %3")
                                    .arg(stubs.path(), control.filePath(name), argument);
        const Run r = run("unshare", {"--mount", "--map-root-user", "sh", "-c", command});
        return r.exitCode == 0 ? readFile(calls) : QStringLiteral("failed: ") + r.output;
    };
    const QString unit = QStringLiteral(" quorix-backend.service\n");
    QVERIFY(QFileInfo(control.filePath("prerm")).isExecutable());
    QCOMPARE(script("prerm", "remove"), "deb-systemd-invoke stop" + unit);
    QCOMPARE(script("prerm", "upgrade"), QString());   // an upgrade restarts nothing by itself
    QVERIFY(script("postrm", "remove").contains("deb-systemd-helper mask" + unit));
    const QString purge = script("postrm", "purge");
    QVERIFY2(purge.contains("deb-systemd-helper purge" + unit), qPrintable(purge));
    QVERIFY(script("postinst", "configure").contains("deb-systemd-helper update-state" + unit));
    QVERIFY(!script("postinst", "configure").contains("enable"));   // "This computer" starts it on request
}

// A second build of the same commit at another path and a later time, in a
// clone of the checkout, with the compiler cache shared: the packages are the
// same bytes. Costly (a configure, cache hits, links, the documents, cpack),
// so only the shipped targets are built.
void tst_Packaging::twoBuildsGiveTheSamePackages()
{
    const QString git = QStandardPaths::findExecutable("git");
    const QString dpkgDeb = QStandardPaths::findExecutable("dpkg-deb");
    if (git.isEmpty() || dpkgDeb.isEmpty())
        QSKIP("git or dpkg-deb is missing");
    if (!QStringLiteral(QUORIX_SANITIZE).isEmpty())
        QSKIP("a sanitizer build is no shipped configuration");
    const QString source = QStringLiteral(QUORIX_SOURCE_DIR);
    if (run(git, {"-C", source, "rev-parse", "HEAD"}).exitCode != 0)
        QSKIP("the sources are no git checkout");
    // The documents carry the date of the commit the tree was last built at
    // (or the one SOURCE_DATE_EPOCH gives both builds).
    const QString date = qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH")
        ? qEnvironmentVariable("SOURCE_DATE_EPOCH")
        : run(git, {"-C", source, "log", "-1", "--format=%ct"}).output.trimmed();
    QVERIFY2(readFile(QStringLiteral(QUORIX_BUILD_DIR "/doc/source-date-epoch")).trimmed() == date,
             "the build tree is older than the last commit: build it again first");
    const QDir first(packages());

    QTemporaryDir elsewhere;
    const QString copy = elsewhere.filePath("another-checkout");
    const QString head = run(git, {"-C", source, "rev-parse", "HEAD"}).output.trimmed();
    Run r = run(git, {"clone", "--quiet", "--shared", "--no-checkout", source, copy});
    QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    r = run(git, {"-C", copy, "checkout", "--quiet", head});
    QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    // Changes not committed yet belong to this build too (while developing).
    const QString diff = elsewhere.filePath("uncommitted.diff");
    QVERIFY(run("sh", {"-c", QStringLiteral("git -C '%1' diff --binary HEAD > '%2'").arg(source, diff)}).exitCode == 0);
    if (QFileInfo(diff).size() > 0) {
        r = run(git, {"-C", copy, "apply", "--binary", diff});
        QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    }
    for (const QString &file : run(git, {"-C", source, "ls-files", "--others", "--exclude-standard"}).output.split('\n', Qt::SkipEmptyParts)) {
        QDir().mkpath(QFileInfo(copy + '/' + file).path());
        QFile::copy(source + '/' + file, copy + '/' + file);
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CCACHE_BASEDIR", copy);
    env.insert("CCACHE_NOHASHDIR", "1");
    const auto inCopy = [&env](const QString &program, const QStringList &arguments, int timeoutMs) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        const bool finished = process.waitForFinished(timeoutMs);
        if (!finished)
            process.kill();
        process.waitForFinished();
        const QString output = QString::fromLocal8Bit(process.readAll());
        return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0
            ? QString() : QStringLiteral("failed: ") + program + ' ' + arguments.join(' ') + '\n' + output.right(4000);
    };
    QElapsedTimer timer;
    timer.start();
    const QString build = copy + "/build";
    QString failure = inCopy(QStringLiteral(QUORIX_CMAKE),
                             {"-S", copy, "-B", build, "-DCMAKE_BUILD_TYPE=" QUORIX_BUILD_TYPE,
                              "-DCMAKE_CXX_COMPILER_LAUNCHER=" QUORIX_LAUNCHER, "-DQUORIX_TESTS=OFF", "-DQUORIX_BENCH=OFF"},
                             120000);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    failure = inCopy(QStringLiteral(QUORIX_CMAKE), {"--build", build, "-j2"}, 1200000);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QTemporaryDir second;
    failure = inCopy(QStringLiteral(QUORIX_CPACK), {"-G", "DEB", "--config", build + "/CPackConfig.cmake", "-B", second.path()},
                     240000);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    qInfo().noquote() << "second build and packages:" << timer.elapsed() / 1000 << "s";

    const QStringList debs = first.entryList({"*.deb"}, QDir::Files, QDir::Name);
    QCOMPARE(QDir(second.path()).entryList({"*.deb"}, QDir::Files, QDir::Name), debs);
    QStringList differing;
    for (const QString &deb : debs) {
        QFile a(first.filePath(deb)), b(QDir(second.path()).filePath(deb));
        if (a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && a.readAll() == b.readAll())
            continue;
        // Name the files that differ, for whoever has to find out why.
        QTemporaryDir x, y;
        run(dpkgDeb, {"-R", first.filePath(deb), x.path()});
        run(dpkgDeb, {"-R", QDir(second.path()).filePath(deb), y.path()});
        differing << deb + ":\n" + run("diff", {"-rq", "--no-dereference", x.path(), y.path()}).output;
    }
    QVERIFY2(differing.isEmpty(), qPrintable(differing.join('\n')));
}

QTEST_GUILESS_MAIN(tst_Packaging)
#include "tst_packaging.moc"
