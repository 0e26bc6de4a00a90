// The German translation: the files are complete and keep what the code fills
// in, only German files are loaded, and a window built with them speaks German.
#include "AppStatusBar.h"
#include "ControllerSimulator.h"
#include "EventDisplay.h"
#include "MainWindow.h"
#include "StartupController.h"
#include "ModalWatcher.h"
#include "TestHome.h"
#include "TextBrowser.h"
#include "TrackboxSelection.h"
#include "Translations.h"

#include <QAction>
#include <QApplication>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QWhatsThis>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const quint16 Port = 50105;

QString langDir()
{
    return qEnvironmentVariable("QUORIX_APP_DIR") + QStringLiteral("/lang");
}

struct Message
{
    QString context, source, translation;
    bool unfinished = false;
    QStringList forms;   // the translation, or its plural forms
};

QList<Message> readTs(const QString &path)
{
    QList<Message> messages;
    QFile file(path);
    QDomDocument document;
    if (!file.open(QIODevice::ReadOnly) || !document.setContent(&file))
        return messages;
    const QDomNodeList contexts = document.elementsByTagName("context");
    for (int c = 0; c < contexts.size(); ++c) {
        const QDomElement context = contexts.at(c).toElement();
        const QDomNodeList list = context.elementsByTagName("message");
        for (int i = 0; i < list.size(); ++i) {
            const QDomElement m = list.at(i).toElement();
            const QDomElement t = m.firstChildElement("translation");
            QStringList forms;
            for (QDomElement f = t.firstChildElement("numerusform"); !f.isNull(); f = f.nextSiblingElement("numerusform"))
                forms << f.text();
            if (forms.isEmpty())
                forms << t.text();
            messages.append({context.firstChildElement("name").text(), m.firstChildElement("source").text(), t.text(),
                             t.attribute("type") == QLatin1String("unfinished"), forms});
        }
    }
    return messages;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

QStringList placeholders(const QString &text)
{
    QStringList found;
    auto it = QRegularExpression("%[\\dn]").globalMatch(text);
    while (it.hasNext())
        found << it.next().captured();
    return sorted(found);
}

void collectActions(const QList<QAction *> &actions, QStringList &texts)
{
    for (QAction *a : actions) {
        if (a->isSeparator())
            continue;
        texts << a->text();
        if (a->menu())
            collectActions(a->menu()->actions(), texts);
    }
}

} // namespace

class tst_Translation : public QObject
{
    Q_OBJECT

private slots:
    void translationsAreCompleteAndKeepWhatTheCodeFillsIn_data();
    void translationsAreCompleteAndKeepWhatTheCodeFillsIn();
    void everyTextInTheCodeIsTranslated_data();
    void everyTextInTheCodeIsTranslated();
    void onlyGermanFilesAreLoadedAndUnloaded();
    void qtsOwnTextsFollowOurLanguage();
    void windowSpeaksGerman();
};

void tst_Translation::translationsAreCompleteAndKeepWhatTheCodeFillsIn_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("program") << QStringLiteral(QUORIX_SOURCE_DIR "/lang/quorix4_de.ts");
    QTest::newRow("Holoview") << QStringLiteral(QUORIX_SOURCE_DIR "/lang/holoview_de.ts");
    QTest::newRow("Tracking health") << QStringLiteral(QUORIX_SOURCE_DIR "/lang/health_de.ts");
}

void tst_Translation::translationsAreCompleteAndKeepWhatTheCodeFillsIn()
{
    QFETCH(QString, file);
    const QList<Message> messages = readTs(file);
    QVERIFY(messages.size() > 5);
    for (const Message &m : messages) {
        const QString where = m.context + ": " + m.source;
        QVERIFY2(!m.unfinished && !m.translation.isEmpty(), qPrintable("not translated: " + where));
        for (const QString &form : m.forms) {
            // A lost %1 shows the raw placeholder; an extra one takes a wrong argument.
            QVERIFY2(placeholders(m.source) == placeholders(form), qPrintable("placeholders differ: " + where));
            QVERIFY2(m.source.count('\n') == form.count('\n'), qPrintable("line breaks differ: " + where));
            // A menu entry keeps its keyboard accelerator.
            QVERIFY2(m.source.count('&') == form.count('&'), qPrintable("accelerators differ: " + where));
        }
    }
}

void tst_Translation::everyTextInTheCodeIsTranslated_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("directories");
    QStringList host;
    for (const char *dir : {"app", "comm", "connect", "access", "export"})
        if (QFileInfo::exists(QStringLiteral(QUORIX_SOURCE_DIR "/") + dir))
            host << QStringLiteral(QUORIX_SOURCE_DIR "/") + dir;
    QTest::newRow("program") << QStringLiteral("quorix4_de.ts") << host;
    QTest::newRow("Holoview") << QStringLiteral("holoview_de.ts") << QStringList{QUORIX_SOURCE_DIR "/modules/holoview"};
    QTest::newRow("Tracking health") << QStringLiteral("health_de.ts") << QStringList{QUORIX_SOURCE_DIR "/modules/health"};
}

// A text added to the code without a translation would show in English in
// the German window. "cmake --build build --target update_translations" adds
// it to the .ts file, where it waits for its translation.
void tst_Translation::everyTextInTheCodeIsTranslated()
{
    QFETCH(QString, file);
    QFETCH(QStringList, directories);
    QTemporaryDir dir;
    const QString scanned = dir.filePath(file);
    QProcess lupdate;
    lupdate.setProcessChannelMode(QProcess::MergedChannels);
    lupdate.start(QStringLiteral(QUORIX_LUPDATE),
                  QStringList{"-silent", "-locations", "none", "-extensions", "cpp,h,ui"} + directories
                      + QStringList{"-ts", scanned});
    QVERIFY(lupdate.waitForFinished(60000));
    QVERIFY2(lupdate.exitCode() == 0, lupdate.readAll().constData());

    QSet<QString> translated;
    for (const Message &m : readTs(QStringLiteral(QUORIX_SOURCE_DIR "/lang/") + file))
        if (!m.unfinished && !m.translation.isEmpty())
            translated.insert(m.context + '|' + m.source);
    const QList<Message> inCode = readTs(scanned);
    QVERIFY(inCode.size() > 5);
    QStringList missing;
    for (const Message &m : inCode)
        if (!translated.contains(m.context + '|' + m.source))
            missing << m.context + ": " + m.source;
    QVERIFY2(missing.isEmpty(), qPrintable("not translated:\n" + missing.join('\n')));
}

void tst_Translation::onlyGermanFilesAreLoadedAndUnloaded()
{
    QTemporaryDir dir;
    const QString german = langDir() + "/quorix4_de.qm";
    QVERIFY2(QFile::exists(german), qPrintable(german));
    QVERIFY(QFile::copy(german, dir.filePath("quorix4_de.qm")));
    QVERIFY(QFile::copy(german, dir.filePath("quorix4_fr.qm")));
    QVERIFY(QFile::copy(german, dir.filePath("quorix4_de.qm.orig")));
    QVERIFY(QFile::copy(german, dir.filePath("quorix4_DE.qm")));
    {
        const Translations translations(dir.path());
        QCOMPARE(translations.count(), 1);
        QCOMPARE(QCoreApplication::translate("MainWindow", "&Help"), QString("&Hilfe"));
    }
    QCOMPARE(QCoreApplication::translate("MainWindow", "&Help"), QString("&Help"));
    const Translations none(dir.filePath("missing"));
    QCOMPARE(none.count(), 0);
}

// Qt's buttons, menus and dialogs speak German exactly when we do.
void tst_Translation::qtsOwnTextsFollowOurLanguage()
{
    const auto yes = [] {
        QMessageBox box(QMessageBox::Question, "t", "q", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        return box.button(QMessageBox::Yes)->text() + '|' + box.button(QMessageBox::No)->text() + '|'
               + box.button(QMessageBox::Cancel)->text();
    };
    const auto contextMenu = [] {
        QTextEdit view;
        view.setPlainText("x");
        std::unique_ptr<QMenu> menu(view.createStandardContextMenu());
        QStringList texts;
        collectActions(menu->actions(), texts);
        for (QString &text : texts)
            text = text.section('\t', 0, 0);   // without the shortcut
        return texts;
    };
    QCOMPARE(yes(), QString("&Yes|&No|Cancel"));
    {
        const Translations german(langDir());
        QVERIFY(german.qtCatalogueInstalled());
        QCOMPARE(yes(), QString("&Ja|&Nein|Abbrechen"));
        const QStringList menu = contextMenu();
        QVERIFY2(menu.contains("&Kopieren") && menu.contains(QString::fromUtf8("Alles auswählen")),
                 qPrintable(menu.join(", ")));
        std::unique_ptr<QAction> whatsThis(QWhatsThis::createAction());
        QVERIFY2(whatsThis->text() != "What's This?", qPrintable(whatsThis->text()));
        QVERIFY2(!whatsThis->shortcut().toString(QKeySequence::NativeText).contains("Shift"),
                 qPrintable(whatsThis->shortcut().toString(QKeySequence::NativeText)));
        // The Controller's protocol words are not shown as they come.
        QCOMPARE(TrackboxSelection::accessText("none", "ip 198.18.62.77"), QString("belegt von 198.18.62.77"));
        QCOMPARE(TrackboxSelection::accessText("full", QString()), QString("voll"));
    }
    QCOMPARE(yes(), QString("&Yes|&No|Cancel"));

    // Without German texts of our own, Qt stays English too.
    QTemporaryDir empty;
    const Translations none(empty.path());
    QVERIFY(!none.qtCatalogueInstalled());
    QCOMPARE(yes(), QString("&Yes|&No|Cancel"));
}

void tst_Translation::windowSpeaksGerman()
{
    TestHome home;
    const Translations translations(langDir());
    QVERIFY(translations.count() >= 1);

    ControllerSimulator sim;
    QString error;
    QVERIFY2(sim.start("127.0.19.2", Port, &error), qPrintable(error));
    ModalWatcher watcher;   // the test's directory has no default preferences: a box says so
    std::unique_ptr<MainWindow> window = StartupController(QStringLiteral("-host 127.0.19.2")).openWindow();
    QVERIFY(window);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    QStringList titles;
    for (QAction *a : window->menuBar()->actions())
        titles << a->text();
    QVERIFY2(titles.contains("&Ansicht") && titles.contains("&Hilfe") && titles.contains("Hard&ware"),
             qPrintable(titles.join(", ")));
    // A text the program writes into the event display and its status bar.
    window->startStopAction()->trigger();
    QCOMPARE(window->startStopAction()->text(), QString("Stopp"));
    QVERIFY2(window->eventDisplay()->view()->toPlainText().contains(": (QUORIX4) Messung gestartet"),
             qPrintable(window->eventDisplay()->view()->toPlainText()));
    QCOMPARE(window->appStatusBar()->messageText(), QString("Messung gestartet"));
    window->startStopAction()->trigger();

    // The host writes its texts to the event display in Latin-1, Holoview in UTF-8.
    const QString german = QStringLiteral("Datei \"%1\" konnte nicht gelesen werden. Größe unbekannt");
    window->eventDisplay()->receive(1, "QUORIX4", german.arg("a").toLatin1().constData());
    window->eventDisplay()->receive(1, "Holoview", german.arg("b").toUtf8().constData());
    const QString shown = window->eventDisplay()->view()->toPlainText();
    QVERIFY2(shown.contains("(QUORIX4) " + german.arg("a")), qPrintable(shown));
    QVERIFY2(shown.contains("(Holoview) " + german.arg("b")), qPrintable(shown));

    for (const auto &box : watcher.seen())
        QCOMPARE(box.title, QString("Fehler beim Laden der Einstellungen"));

    // No entry of the window's menus is left in English: each text that has a
    // German translation shows it.
    QSet<QString> english;
    for (const Message &m : readTs(QStringLiteral(QUORIX_SOURCE_DIR "/lang/quorix4_de.ts")))
        if (m.translation != m.source)
            english.insert(m.source);
    QStringList texts;
    collectActions(window->menuBar()->actions(), texts);
    QVERIFY(texts.size() > 10);
    for (const QString &text : texts)
        QVERIFY2(!english.contains(text), qPrintable("left in English: " + text));
    window.reset();
}

QTEST_MAIN(tst_Translation)
#include "tst_translation.moc"
