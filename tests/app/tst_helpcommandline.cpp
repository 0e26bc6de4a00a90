// The command-line help dialog: its texts and that Exit ends the modal run.
#include "HelpCommandLine.h"
#include "ModalWatcher.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

class tst_HelpCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void showsEveryOptionAndExample();
    void exitEndsTheModalRun();
};

void tst_HelpCommandLine::showsEveryOptionAndExample()
{
    HelpCommandLine dialog;
    QCOMPARE(dialog.windowTitle(), QString("QUORIX4 Command Line Help"));
    QCOMPARE(dialog.size(), QSize(808, 498));
    QCOMPARE(dialog.maximumSize(), QSize(10000, 10000));
    auto *label = dialog.findChild<QLabel *>("label_help");
    QVERIFY(label);
    QVERIFY(label->wordWrap());
    const QString text = label->text();
    QVERIFY(text.startsWith("<p><b>QUORIX4 command line parameter:</b></p>"));
    int position = 0;
    for (const char *expected : {"-directstart", "-host &lt;name or IP number&gt;", "-measure", "-wakeup",
                                 "-wakeup &lt;MAC address&gt;", "<b>Examples:</b>", "-host bqc-12345678",
                                 "-host 10.10.5.55", "-directstart -wakeup -measure",
                                 "-host 10.10.5.55 -wakeup 11:22:33:44:55:66 -measure"}) {
        const int found = text.indexOf(expected, position);
        QVERIFY2(found >= 0, expected);
        position = found;
    }
}

void tst_HelpCommandLine::exitEndsTheModalRun()
{
    ModalWatcher watcher;
    watcher.answer("QUORIX4 Command Line Help", ModalWatcher::Answer::press("Exit"));
    HelpCommandLine dialog;
    dialog.exec();
    QCOMPARE(watcher.seen().size(), 1);
    QCOMPARE(watcher.seen().first().answer, QString("Exit"));
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(tst_HelpCommandLine)
#include "tst_helpcommandline.moc"
