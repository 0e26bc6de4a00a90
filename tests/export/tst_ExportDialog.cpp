// The system-information export: which logs it offers, the days control and
// the selection, the size estimate, and the bundle it writes.
#include "BackendVersions.h"
#include "ControllerSimulator.h"
#include "ExportConfiguration.h"
#include "ExportSystemInformation.h"
#include "IOManagerUdpTcp.h"
#include "MessageBoxProvider.h"
#include "ModalWatcher.h"
#include "ReportFile.h"
#include "SystemInfoBundle.h"
#include "TestHome.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

#include <memory>

namespace {

const QString kHost = QStringLiteral("127.0.16.10");
const QString kController = QStringLiteral("lab-hall-2");

class Boxes : public MessageBoxProvider
{
public:
    void openMessageBox(int, QString, QString) override {}
};

QString logName(int age, const QString &host = kController)
{
    return QStringLiteral("events-%1_%2.log").arg(QDate::currentDate().addDays(-age).toString(QStringLiteral("yyyy-MM-dd")), host);
}

} // namespace

class ExportDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void offersRecentLogsOfTheConnectedControllerOnly();
    void daysControlSelectsTheLastDays();
    void manualSelectionSetsTheDays();
    void estimateTexts();
    void bundleHoldsReportAndLogsBetweenMarkers();
    void unreadableLogContributesOnlyItsMarkers();
    void largeSelectionAsksAndCancelWritesNothing();
    void unwritableTargetIsReportedAsFailure();
    void proposedFolderExists();
    void withoutHostNameNothingIsListed();
    void datesFromFileNames();

private:
    QString writeLog(const QString &version, const QString &name, const QByteArray &content);
    QTableWidget *table() const { return m_dialog->findChild<QTableWidget *>(QStringLiteral("tableWidget")); }
    QSpinBox *days() const { return m_dialog->findChild<QSpinBox *>(QStringLiteral("spinBox")); }
    QPushButton *button(const char *name) const { return m_dialog->findChild<QPushButton *>(QLatin1String(name)); }
    QString label(const char *name) const { return m_dialog->findChild<QLabel *>(QLatin1String(name))->text(); }
    QStringList selectedFiles() const;

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<ControllerSimulator> m_sim;
    std::unique_ptr<Boxes> m_boxes;
    std::unique_ptr<IOManagerUdpTcp> m_channel;
    BackendVersions m_versions;
    std::unique_ptr<ExportSystemInformation> m_dialog;
};

void ExportDialogTest::init()
{
    // The texts compared are the English ones, also when the suite runs in German.
    QLocale::setDefault(QLocale::c());
    m_home = std::make_unique<TestHome>();
    SimScenario scenario;
    scenario.hostName = kController;
    m_sim = std::make_unique<ControllerSimulator>(scenario);
    QVERIFY(m_sim->start(kHost));
    m_boxes = std::make_unique<Boxes>();
    m_channel = std::make_unique<IOManagerUdpTcp>(m_boxes.get());
    unsigned short port = 0;
    QCOMPARE(m_channel->connectController(kHost.toLatin1().constData(), 50105, &port), 0);
    m_versions.protocol = ControllerVersion::parse(QStringLiteral("v1.27.0"));
    m_dialog = std::make_unique<ExportSystemInformation>(nullptr, m_channel.get(), &m_versions);
    m_dialog->setFrontendVersion(QStringLiteral("v4.0.1  2026-02-02|holoview;1.2.0"));

    writeLog(QStringLiteral("v4.0.1"), logName(0), "today one\ntoday two\n");
    writeLog(QStringLiteral("v4.0.1"), logName(1), "yesterday\n");
    writeLog(QStringLiteral("v4.0.1"), logName(2), "two days ago\n");
    writeLog(QStringLiteral("v4.0.1"), logName(5), "five days ago\n");
    writeLog(QStringLiteral("v4.0.1"), logName(30), "thirty days ago\n");
    writeLog(QStringLiteral("v4.0.1"), logName(31), "too old\n");
    writeLog(QStringLiteral("v4.0.1"), logName(0, QStringLiteral("lab-hall")), "another Controller\n");
    writeLog(QStringLiteral("v4.0.0"), logName(1), "older front end\n");
    writeLog(QStringLiteral("v3.9.0"), logName(0), "not a v4 directory\n");
}

void ExportDialogTest::cleanup()
{
    m_dialog.reset();
    m_channel.reset();
    m_sim.reset();
    m_home.reset();
}

QString ExportDialogTest::writeLog(const QString &version, const QString &name, const QByteArray &content)
{
    const QString dir = SystemInfoBundle::logRoot() + QLatin1Char('/') + version + QStringLiteral("/logs");
    QDir().mkpath(dir);
    QFile f(dir + QLatin1Char('/') + name);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(f.fileName()));
    f.write(content);
    return f.fileName();
}

QStringList ExportDialogTest::selectedFiles() const
{
    QStringList out;
    for (int row = 0; row < table()->rowCount(); ++row)
        if (table()->selectionModel()->isRowSelected(row, QModelIndex()))
            out << table()->item(row, 1)->text() + QLatin1Char('/') + table()->item(row, 0)->text();
    return out;
}

void ExportDialogTest::offersRecentLogsOfTheConnectedControllerOnly()
{
    m_dialog->fill();
    QStringList rows;
    for (int row = 0; row < table()->rowCount(); ++row)
        rows << table()->item(row, 1)->text() + QLatin1Char('/') + table()->item(row, 0)->text();
    // Version directories in name order, newest file first within each; 31 days is too old.
    QCOMPARE(rows, QStringList({QStringLiteral("v4.0.0/") + logName(1), QStringLiteral("v4.0.1/") + logName(0),
                                QStringLiteral("v4.0.1/") + logName(1), QStringLiteral("v4.0.1/") + logName(2),
                                QStringLiteral("v4.0.1/") + logName(5), QStringLiteral("v4.0.1/") + logName(30)}));
    QCOMPARE(table()->item(1, 2)->text(), QStringLiteral("20 Byte"));
    QCOMPARE(table()->item(1, 4)->text(), QStringLiteral("20"));
    QCOMPARE(table()->item(5, 5)->text(), QDate::currentDate().addDays(-30).toString(QStringLiteral("yyyy-MM-dd")));
    // The oldest file is 30 days old: the days range reaches 31.
    QCOMPARE(m_dialog->daysMaximum(), 31);
}

void ExportDialogTest::daysControlSelectsTheLastDays()
{
    m_dialog->fill();
    QCOMPARE(m_dialog->daysValue(), 3);
    QCOMPARE(selectedFiles(), QStringList({QStringLiteral("v4.0.0/") + logName(1), QStringLiteral("v4.0.1/") + logName(0),
                                          QStringLiteral("v4.0.1/") + logName(1), QStringLiteral("v4.0.1/") + logName(2)}));
    days()->setValue(1);
    QCOMPARE(selectedFiles(), QStringList({QStringLiteral("v4.0.1/") + logName(0)}));
    QVERIFY(button("pushButton_clear")->isEnabled());

    // The table would page by itself: the key steps the days instead.
    QTest::keyClick(table(), Qt::Key_PageUp);
    QCOMPARE(m_dialog->daysValue(), 2);
    QCOMPARE(selectedFiles().size(), 3);

    button("pushButton_selectAll")->click();
    QCOMPARE(m_dialog->daysValue(), 31);
    QCOMPARE(selectedFiles().size(), 6);
    QVERIFY(!button("pushButton_selectAll")->isEnabled());
    QTest::keyClick(m_dialog.get(), Qt::Key_PageUp);
    QCOMPARE(m_dialog->daysValue(), 31);

    button("pushButton_clear")->click();
    QCOMPARE(m_dialog->daysValue(), 0);
    QVERIFY(selectedFiles().isEmpty());
    QVERIFY(button("pushButton_selectAll")->isEnabled());
    QVERIFY(!button("pushButton_clear")->isEnabled());
    QTest::keyClick(days(), Qt::Key_PageDown);
    QCOMPARE(m_dialog->daysValue(), 0);
    QTest::keyClick(m_dialog.get(), Qt::Key_PageUp);
    QCOMPARE(m_dialog->daysValue(), 1);
}

void ExportDialogTest::manualSelectionSetsTheDays()
{
    m_dialog->fill();
    button("pushButton_clear")->click();
    table()->selectRow(4); // five days old
    QCOMPARE(selectedFiles(), QStringList({QStringLiteral("v4.0.1/") + logName(5)}));
    QCOMPARE(m_dialog->daysValue(), 5);
    table()->clearSelection();
    table()->selectRow(1); // today's counts as one day
    QCOMPARE(m_dialog->daysValue(), 1);
    QCOMPARE(selectedFiles().size(), 1);
}

void ExportDialogTest::estimateTexts()
{
    m_dialog->fill();
    button("pushButton_clear")->click();
    QCOMPARE(label("label_size"), QStringLiteral("estimated size: 50.0 kB  "));
    QCOMPARE(m_dialog->estimatedSize(), qint64(51200));
    days()->setValue(1);
    QCOMPARE(m_dialog->estimatedSize(), qint64(51200 + 20));
    QCOMPARE(SystemInfoBundle::sizeText(1023), QStringLiteral("1023.0 Byte"));
    QCOMPARE(SystemInfoBundle::sizeText(1024), QStringLiteral("1.0 kB  "));
    QCOMPARE(SystemInfoBundle::sizeText(1048575), QStringLiteral("1024.0 kB  "));
    QCOMPARE(SystemInfoBundle::sizeText(1572864), QStringLiteral("1.5 MB  "));
    // Sizes are shown in the user's language, whatever the process's C locale.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString german = SystemInfoBundle::sizeText(51405);
    const QString germanMb = SystemInfoBundle::sizeText(1572864);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(german, QStringLiteral("50,2 kB  "));
    QCOMPARE(germanMb, QStringLiteral("1,5 MB  "));
}

void ExportDialogTest::bundleHoldsReportAndLogsBetweenMarkers()
{
    m_dialog->fill();
    days()->setValue(2);
    const QString path = m_home->path() + QStringLiteral("/bundle.txt");
    QVERIFY(m_dialog->exportTo(path));
    QVERIFY(label("label_status").endsWith(QStringLiteral("... complete.")));
    const QStringList lines = ReportFile(path).lines();
    QCOMPARE(lines.value(0), ExportConfiguration::markerLine(QStringLiteral("<BOF> v4.0.1 <BOF>")));
    QCOMPARE(lines.value(1), QStringLiteral("Export Controller configuration"));
    const int endOfReport = lines.indexOf(ExportConfiguration::markerLine(QStringLiteral("<EOF> v4.0.1 <EOF>")));
    QVERIFY(endOfReport > 100);
    QVERIFY(lines.mid(0, endOfReport).contains(QStringLiteral("[Inertial settings]")));
    QCOMPARE(lines.value(endOfReport + 1), QString());

    // The selected logs in table order, each with its lines between its markers.
    auto block = [](const QString &file, const QString &version, const QStringList &content) {
        const QString tag = file + QStringLiteral(" - ") + version;
        return QStringList{ExportConfiguration::markerLine(QStringLiteral("<BOF> %1 <BOF>").arg(tag))} + content
            + QStringList{ExportConfiguration::markerLine(QStringLiteral("<EOF> %1 <EOF>").arg(tag)), QString()};
    };
    const QStringList expected = block(logName(1), QStringLiteral("v4.0.0"), {QStringLiteral("older front end")})
        + block(logName(0), QStringLiteral("v4.0.1"), {QStringLiteral("today one"), QStringLiteral("today two")})
        + block(logName(1), QStringLiteral("v4.0.1"), {QStringLiteral("yesterday")});
    QCOMPARE(lines.mid(endOfReport + 2), expected);

    // A second export replaces the file instead of appending to it.
    QVERIFY(m_dialog->exportTo(path));
    QCOMPARE(ReportFile(path).lines().filter(QStringLiteral("Export Controller configuration")).size(), 1);
}

void ExportDialogTest::unreadableLogContributesOnlyItsMarkers()
{
    m_dialog->fill();
    days()->setValue(1);
    QVERIFY(QFile::remove(SystemInfoBundle::logRoot() + QStringLiteral("/v4.0.1/logs/") + logName(0)));
    const QString path = m_home->path() + QStringLiteral("/bundle.txt");
    QVERIFY(m_dialog->exportTo(path));
    const QStringList lines = ReportFile(path).lines();
    const QString tag = logName(0) + QStringLiteral(" - v4.0.1");
    const int begin = lines.indexOf(ExportConfiguration::markerLine(QStringLiteral("<BOF> %1 <BOF>").arg(tag)));
    QVERIFY(begin > 0);
    QCOMPARE(lines.value(begin + 1), ExportConfiguration::markerLine(QStringLiteral("<EOF> %1 <EOF>").arg(tag)));
}

void ExportDialogTest::largeSelectionAsksAndCancelWritesNothing()
{
    QFile big(writeLog(QStringLiteral("v4.0.1"), logName(0), ""));
    QVERIFY(big.resize(12 * 1024 * 1024));
    m_dialog->fill();
    days()->setValue(1);
    QVERIFY(m_dialog->estimatedSize() > SystemInfoBundle::LargeBundle);
    QVERIFY(label("label_size").endsWith(QStringLiteral(" MB  ")));

    ModalWatcher watcher;
    watcher.answer(QStringLiteral("Warning"), ModalWatcher::Answer::press(QMessageBox::Cancel));
    button("pushButton_save")->click();
    QVERIFY(watcher.waitForCount(1));
    QCOMPARE(watcher.seen().value(0).text, QStringLiteral("The resulting file is bigger than 10 MB!\nContinue?"));
    QCOMPARE(watcher.seen().value(0).answer, QStringLiteral("Cancel"));
    QTest::qWait(200);
    QCOMPARE(watcher.seen().size(), 1); // no save dialog followed
    QVERIFY(!QFile::exists(m_dialog->proposedPath()));
    QVERIFY(m_dialog->proposedPath().endsWith(
        QStringLiteral("/QUORIX4_Systeminfo-%1.txt").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")))));
}

void ExportDialogTest::unwritableTargetIsReportedAsFailure()
{
    m_dialog->fill();
    ModalWatcher watcher;
    const QString path = m_home->path() + QStringLiteral("/no-such-dir/bundle.txt");
    QVERIFY(!m_dialog->exportTo(path));
    QVERIFY(watcher.waitForCount(1));
    // The dialog's own box, with the cause as it is.
    QCOMPARE(watcher.seen().value(0).title, QStringLiteral("Export System Information"));
    QCOMPARE(watcher.seen().value(0).text, QStringLiteral("The folder %1 does not exist.\n Please choose another location.")
                                               .arg(m_home->path() + QStringLiteral("/no-such-dir")));
    QVERIFY(!QFile::exists(path));
    QVERIFY(label("label_status").contains(QStringLiteral("failed")));
    QVERIFY(button("pushButton_save")->isEnabled());
    QProgressBar *bar = m_dialog->findChild<QProgressBar *>(QStringLiteral("progressBar"));
    QVERIFY(bar->value() < bar->maximum());
}

// The file is proposed in a folder that is there: the desktop, else the
// documents, else the home folder; the save dialog browses that folder.
void ExportDialogTest::proposedFolderExists()
{
    const QString file = QStringLiteral("/QUORIX4_Systeminfo-%1.txt").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    QCOMPARE(m_dialog->proposedPath(), m_home->path() + file);
    QVERIFY(QDir(m_home->path()).mkdir(QStringLiteral("Documents")));
    QCOMPARE(m_dialog->proposedPath(), m_home->path() + QStringLiteral("/Documents") + file);
    QVERIFY(QDir(m_home->path()).mkdir(QStringLiteral("Desktop")));
    QCOMPARE(m_dialog->proposedPath(), m_home->path() + QStringLiteral("/Desktop") + file);

    m_dialog->fill();
    QString browsed;
    QTimer::singleShot(300, [&browsed] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<QFileDialog *>(w); d && d->isVisible()) {
                browsed = d->directory().absolutePath();
                d->reject();
            }
    });
    QDir::setCurrent(QDir::tempPath());
    button("pushButton_save")->click();
    QCOMPARE(browsed, m_home->path() + QStringLiteral("/Desktop"));
}

void ExportDialogTest::withoutHostNameNothingIsListed()
{
    SimFaults faults;
    faults.errorReplies << QStringLiteral("get system hostname");
    m_sim->setFaults(faults);
    m_dialog->fill();
    QCOMPARE(table()->rowCount(), 0);
    QCOMPARE(m_dialog->daysMaximum(), 10);
    QCOMPARE(label("label_size"), QStringLiteral("estimated size: 50.0 kB  "));
}

void ExportDialogTest::datesFromFileNames()
{
    const QDate today(2026, 12, 8);
    QCOMPARE(SystemInfoBundle::dateFromName(QStringLiteral("events-2026-03-05_lab-hall-2.log"), today), QDate(2026, 3, 5));
    QCOMPARE(SystemInfoBundle::dateFromName(QStringLiteral("events-2026-03-05_a-b-c-d.log"), today), QDate(2026, 3, 5));
    for (const char *bad : {"events-2026-02-31_x.log", "events-2026-13-01_x.log", "events-1969-05-01_x.log",
                            "events-2501-05-01_x.log", "events-xx-05-01_x.log", "events-2026-05_x.log", "events_x.log"})
        QCOMPARE(SystemInfoBundle::dateFromName(QLatin1String(bad), today), today);
    QCOMPARE(SystemInfoBundle::versionWord(QStringLiteral("v4.0.1  2026-02-02|holoview;1.2")), QStringLiteral("v4.0.1"));
}

QTEST_MAIN(ExportDialogTest)
#include "tst_ExportDialog.moc"
