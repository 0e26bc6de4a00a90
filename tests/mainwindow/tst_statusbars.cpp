// The status tool bars and the application status bar against a table-driven channel.
#include "AppStatusBar.h"
#include "BackendVersions.h"
#include "CamStatusBar.h"
#include "CamStatusWidget.h"
#include "ElidingLabel.h"
#include "FakeChannel.h"
#include "FreqStatusBar.h"
#include "RadioStatusBar.h"
#include "ShortStatusWidget.h"
#include "TrackingStatusBar.h"
#include "WaitPastDue.h"

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QStatusBar>
#include <QtTest>

namespace {

BackendVersions protocol(int major, int minor, int patch)
{
    BackendVersions v;
    v.protocol.major = major;
    v.protocol.minor = minor;
    v.protocol.patch = patch;
    return v;
}

QStringList cameraLabels(const CamStatusBar &bar)
{
    QStringList labels;
    for (CamStatusWidget *w : bar.widgets())
        for (QLabel *l : w->findChildren<QLabel *>())
            labels << l->text();
    return labels;
}

// A shown main window holding the bar, so that "only when visible" holds.
struct Host
{
    QMainWindow window;
    Host() { window.resize(800, 200); }
    void show(QToolBar *bar)
    {
        window.addToolBar(bar);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
};

// Pixels of the field drawn in (nearly) the palette's normal text colour.
int textColouredPixels(QWidget *field)
{
    const QColor text = field->palette().color(QPalette::Active, QPalette::Text);
    const QImage image = field->grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - text.red()) + qAbs(c.green() - text.green()) + qAbs(c.blue() - text.blue()) < 40)
                ++n;
        }
    return n;
}

} // namespace

class tst_StatusBars : public QObject
{
    Q_OBJECT

private slots:
    void elidedTextOnlyWhenRoomIsShort();
    void liveValuesReadLikeTextAndExplainThemselves();
    void cameraCountGrowsWithinTenIdlePolls();
    void cameraCountGrowsAtNextMeasuringPoll();
    void cameraFieldsShowQueriedCounts();
    void markerText_data();
    void markerText();
    void monitor2dOverrideLastsOnePoll();
    void hiddenCameraBarDoesNotQueryWhileMeasuring();
    void frequencyRounding_data();
    void frequencyRounding();
    void frequencyNeedsProtocol017();
    void lostFramesColour_data();
    void lostFramesColour();
    void lostFramesNeedProtocol18();
    void waitingSuppressesFrequency();
    void frequencyTimerFollowsMeasurement();
    void radioWithoutTimerBelow15();
    void radioPollsFrom15();
    void radioBrokenConnectionStopsPolling();
    void radioUnusableReplies_data();
    void radioUnusableReplies();
    void trackingCounts();
    void appStatusBarConfiguration();
    void longStatusTextsShortenedNotTheWindowWidened();
    void appStatusBarShowsControllerTextsLiterally();
    void detachedBarsShowUnknown();
};

void tst_StatusBars::cameraCountGrowsWithinTenIdlePolls()
{
    FakeChannel ch;
    ch.setValue("camera number_of_cameras", "3");
    QWidget parent;
    CamStatusBar bar(&ch, &parent);
    QCOMPARE(cameraLabels(bar), QStringList({"c01", "c02", "c03"}));

    ch.setValue("camera number_of_cameras", "4");
    ch.clearCommands();
    int polls = 0;
    while (bar.widgets().size() != 4 && polls < 10) {
        bar.update_status("none");
        ++polls;
    }
    QCOMPARE(cameraLabels(bar), QStringList({"c01", "c02", "c03", "c04"}));
    // Idle polls do not ask for the count every time.
    QCOMPARE(ch.count("quorix2 get camera number_of_cameras"), 1);
    // Exactly the widgets of the bar, nothing left over from the old build.
    QCOMPARE(bar.findChildren<CamStatusWidget *>().size(), 4);

    // Ten more idle polls with an unchanged count keep the widgets.
    CamStatusWidget *first = bar.widgets().first();
    for (int i = 0; i < 10; ++i)
        bar.update_status("err");
    QCOMPARE(bar.widgets().first(), first);

    // A busy channel is not asked at all.
    ch.setBusy(true);
    ch.clearCommands();
    for (int i = 0; i < 20; ++i)
        bar.update_status("none");
    QVERIFY(ch.commands().isEmpty());
}

void tst_StatusBars::cameraCountGrowsAtNextMeasuringPoll()
{
    FakeChannel ch;
    ch.setValue("camera number_of_cameras", "3");
    Host host;
    auto *bar = new CamStatusBar(&ch, &host.window);
    host.show(bar);
    ch.setValue("camera number_of_cameras", "4");
    bar->update_status("mea");
    QCOMPARE(cameraLabels(*bar), QStringList({"c01", "c02", "c03", "c04"}));
    ch.setValue("camera number_of_cameras", "2");
    bar->update_status("cal");
    QCOMPARE(cameraLabels(*bar), QStringList({"c01", "c02"}));
}

void tst_StatusBars::cameraFieldsShowQueriedCounts()
{
    FakeChannel ch;
    ch.setValue("camera number_of_cameras", "3");
    ch.setValue("status number_of_rays c01", "12");
    ch.setValue("status number_of_used_rays c01", "10");
    ch.setValue("status number_of_rays c02", "7");
    ch.setFailure("status number_of_used_rays c02", -32);
    Host host;
    auto *bar = new CamStatusBar(&ch, &host.window);
    host.show(bar);
    QCOMPARE(bar->widgets()[0]->fieldText(), QString(" - / - "));

    bar->update_status("mea");
    QCOMPARE(bar->widgets()[0]->fieldText(), QString("12/10"));
    // A failed query keeps the start value 1.
    QCOMPARE(bar->widgets()[1]->fieldText(), QString("7/1"));
    QCOMPARE(bar->widgets()[2]->fieldText(), QString("1/1"));

    bar->onMeasurementStopped();
    for (CamStatusWidget *w : bar->widgets())
        QCOMPARE(w->fieldText(), QString(" - / - "));

    // No camera count: the poll stops before the fields.
    ch.setFailure("camera number_of_cameras", -111);
    ch.clearCommands();
    bar->update_status("mea");
    QCOMPARE(ch.commands(), QList<QByteArray>({"quorix2 get camera number_of_cameras"}));
    QCOMPARE(bar->widgets().size(), 3);
}

void tst_StatusBars::markerText_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<QString>("text");
    QTest::newRow("both") << 12 << 10 << "12/10";
    QTest::newRow("none") << -1 << -1 << " - / - ";
    QTest::newRow("no detected") << -1 << 5 << " - /5";
    QTest::newRow("no used") << 3 << -1 << "3/ - ";
    QTest::newRow("zeros") << 0 << 0 << "0/0";
}

void tst_StatusBars::markerText()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(QString, text);
    QCOMPARE(CamStatusWidget::markerText(a, b), text);
}

void tst_StatusBars::monitor2dOverrideLastsOnePoll()
{
    FakeChannel ch;
    ch.setValue("camera number_of_cameras", "3");
    for (int c = 1; c <= 3; ++c) {
        ch.setValue(QString("status number_of_rays c%1").arg(c, 2, 10, QChar('0')).toLatin1(), "5");
        ch.setValue(QString("status number_of_used_rays c%1").arg(c, 2, 10, QChar('0')).toLatin1(), "4");
    }
    Host host;
    auto *bar = new CamStatusBar(&ch, &host.window);
    host.show(bar);

    // Through the bus, as the 2D monitor sends it.
    QCOMPARE(ch.sendMessage("CamStatusBar", "Monitor2dModule", 1, "9/8;;7/6"), 0);
    bar->update_status("mea");
    QCOMPARE(bar->widgets()[0]->fieldText(), QString("9/8"));
    QCOMPARE(bar->widgets()[1]->fieldText(), QString("7/6"));
    QCOMPARE(bar->widgets()[2]->fieldText(), QString("5/4"));
    bar->update_status("mea");
    QCOMPARE(bar->widgets()[0]->fieldText(), QString("5/4"));
    QCOMPARE(bar->widgets()[1]->fieldText(), QString("5/4"));

    // More pieces than cameras: the extra ones are dropped.
    QCOMPARE(bar->receive(1, "Monitor2dModule", "a;b;c;d;e"), 0);
    bar->update_status("mea");
    QCOMPARE(bar->widgets()[2]->fieldText(), QString("c"));

    // Other senders and other types change nothing.
    QCOMPARE(bar->receive(1, "HoloviewModule", "x;y;z"), 1);
    QCOMPARE(bar->receive(2, "Monitor2dModule", "x;y;z"), 0);
    bar->update_status("mea");
    for (CamStatusWidget *w : bar->widgets())
        QCOMPARE(w->fieldText(), QString("5/4"));

    // After detaching, the bus no longer reaches the bar.
    bar->detach();
    ch.sendMessage("CamStatusBar", "Monitor2dModule", 1, "x;y;z");
}

void tst_StatusBars::hiddenCameraBarDoesNotQueryWhileMeasuring()
{
    FakeChannel ch;
    ch.setValue("camera number_of_cameras", "2");
    QWidget parent; // never shown
    CamStatusBar bar(&ch, &parent);
    ch.clearCommands();
    bar.update_status("mea");
    QVERIFY(ch.commands().isEmpty());
}

void tst_StatusBars::frequencyRounding_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("text");
    QTest::newRow("59.44") << QByteArray("59.44") << "59 Hz";
    QTest::newRow("59.45") << QByteArray("59.45") << "60 Hz";
    QTest::newRow("0") << QByteArray("0") << "0 Hz";
    QTest::newRow("negative") << QByteArray("-1") << " - ";
    QTest::newRow("failed") << QByteArray() << " - ";
}

void tst_StatusBars::frequencyRounding()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, text);
    FakeChannel ch;
    if (reply.isEmpty())
        ch.setFailure("status output_frequency", -111);
    else
        ch.setValue("status output_frequency", reply);
    FreqStatusBar bar(&ch, protocol(1, 27, 0));
    bar.field()->setText("old");
    bar.showFrequency();
    QCOMPARE(bar.field()->text(), text);
}

// "60 Hz" and "18/17" in the colour of text, not the grey of a disabled
// field; and each field says in a tool tip what its numbers are.
// Beside a label that takes all free room, the configuration line gets the
// width it asks for: it must show its whole text there, cut only when the
// window is too narrow.
void tst_StatusBars::elidedTextOnlyWhenRoomIsShort()
{
    QMainWindow window;
    auto *message = new ElidingLabel;
    auto *configuration = new ElidingLabel;
    window.statusBar()->addPermanentWidget(message, 1);
    window.statusBar()->addPermanentWidget(configuration, 0);
    window.resize(1400, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    message->setFullText(QStringLiteral("measurement started"));
    for (const QString &text : {QStringLiteral("Configuration 'default' on Controller 'audhost-lab-3'"),
                                QStringLiteral("Konfiguration 'Standard' auf Controller 'ctl-sydney-01' (kaskadiert)"),
                                QStringLiteral("Configuration 'iiiiiiii' on Controller 'WWWWWWWW'")}) {
        configuration->setFullText(text);
        QTRY_COMPARE(configuration->text(), text);
        QVERIFY(configuration->toolTip().isEmpty());
    }
    window.resize(300, 200);
    QTRY_VERIFY(configuration->text().endsWith(QChar(0x2026)));
    QCOMPARE(configuration->toolTip(), configuration->fullText());
}

void tst_StatusBars::liveValuesReadLikeTextAndExplainThemselves()
{
    FakeChannel ch;
    ch.setValue("status output_frequency", "60");
    ch.setValue("camera number_of_cameras", "1");
    FreqStatusBar freq(&ch, protocol(1, 27, 0));
    freq.showFrequency();
    QCOMPARE(freq.field()->text(), QString("60 Hz"));
    QVERIFY(textColouredPixels(freq.field()) > 5);
    QVERIFY(!freq.field()->toolTip().isEmpty());

    CamStatusBar cams(&ch, nullptr);
    QCOMPARE(cams.widgets().size(), 1);
    CamStatusWidget *camera = cams.widgets().first();
    QLineEdit *field = camera->findChild<QLineEdit *>();
    field->setText(CamStatusWidget::markerText(18, 17));
    QVERIFY(textColouredPixels(field) > 5);
    QVERIFY2(camera->toolTip().contains("Camera 1"), qPrintable(camera->toolTip()));
    // Nothing to type into.
    QVERIFY(field->isReadOnly() && field->focusPolicy() == Qt::NoFocus);

    ShortStatusWidget tracking(&ch);
    for (QLabel *label : tracking.findChildren<QLabel *>())
        QVERIFY(!label->toolTip().isEmpty());
}

void tst_StatusBars::frequencyNeedsProtocol017()
{
    FakeChannel ch;
    ch.setValue("status output_frequency", "60");
    FreqStatusBar old(&ch, protocol(0, 16, 9));
    old.showFrequency();
    QCOMPARE(old.field()->text(), QString(" - "));
    QVERIFY(ch.commands().isEmpty());

    // "v0.17" without a patch number passes the 0.17 gate.
    FreqStatusBar current(&ch, protocol(0, 17, -1));
    current.showFrequency();
    QCOMPARE(current.field()->text(), QString("60 Hz"));

    ch.setBusy(true);
    ch.clearCommands();
    current.showFrequency();
    QVERIFY(ch.commands().isEmpty());
}

void tst_StatusBars::lostFramesColour_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("style");
    QTest::newRow("0") << QByteArray("0") << QString();
    QTest::newRow("1") << QByteArray("1") << QString();
    QTest::newRow("2") << QByteArray("2") << "QLineEdit { background-color: khaki; }";
    QTest::newRow("3") << QByteArray("3") << "QLineEdit { background-color: orange; }";
    QTest::newRow("4") << QByteArray("4") << "QLineEdit { background-color: red; }";
    QTest::newRow("50") << QByteArray("50") << "QLineEdit { background-color: red; }";
    QTest::newRow("failed") << QByteArray() << "QLineEdit { background-color: red; }";
}

void tst_StatusBars::lostFramesColour()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, style);
    FakeChannel ch;
    if (reply.isEmpty())
        ch.setFailure("status frames_lost", -32);
    else
        ch.setValue("status frames_lost", reply);
    Host host;
    auto *bar = new FreqStatusBar(&ch, protocol(1, 8, -1), &host.window);
    host.show(bar);
    bar->field()->setStyleSheet("QLineEdit { background-color: blue; }");
    bar->update_status("mea");
    QCOMPARE(bar->field()->styleSheet(), style);
}

void tst_StatusBars::lostFramesNeedProtocol18()
{
    FakeChannel ch;
    ch.setValue("status frames_lost", "4");
    Host host;
    auto *bar = new FreqStatusBar(&ch, protocol(1, 7, 99), &host.window);
    host.show(bar);
    bar->field()->setStyleSheet("QLineEdit { background-color: blue; }");
    bar->update_status("mea");
    QCOMPARE(bar->field()->styleSheet(), QString());
    QCOMPARE(ch.count("quorix2 get status frames_lost"), 0);
}

void tst_StatusBars::waitingSuppressesFrequency()
{
    FakeChannel ch;
    ch.setValue("status output_frequency", "60");
    ch.setValue("status frames_lost", "0");
    Host host;
    auto *bar = new FreqStatusBar(&ch, protocol(1, 27, 0), &host.window);
    host.show(bar);

    bar->update_status("wait");
    QCOMPARE(bar->field()->text(), QString("waiting..."));
    ch.clearCommands();
    bar->showFrequency();
    QCOMPARE(bar->field()->text(), QString("waiting..."));
    QCOMPARE(ch.count("quorix2 get status output_frequency"), 0);

    bar->update_status("mea");
    bar->showFrequency();
    QCOMPARE(bar->field()->text(), QString("60 Hz"));
}

void tst_StatusBars::frequencyTimerFollowsMeasurement()
{
    FakeChannel ch;
    ch.setValue("status output_frequency", "59.7");
    FreqStatusBar bar(&ch, protocol(1, 27, 0));
    QVERIFY(!bar.isTimerActive());
    // The channel hands the start notice to every requester.
    ch.notifyMeasurementStarted();
    QVERIFY(bar.isTimerActive());
    QTRY_COMPARE_WITH_TIMEOUT(bar.field()->text(), QString("60 Hz"), 5000);
    ch.notifyMeasurementStopped();
    QVERIFY(!bar.isTimerActive());
    QCOMPARE(bar.field()->text(), QString(" - "));

    // Detached: the notices no longer arrive.
    bar.detach();
    ch.notifyMeasurementStarted();
    QVERIFY(!bar.isTimerActive());
}

void tst_StatusBars::radioWithoutTimerBelow15()
{
    FakeChannel ch;
    ch.setValue("zelwpan available", "yes");
    ch.setValue("zelwpan radio", "11 0x3a2f");
    RadioStatusBar bar(&ch, protocol(1, 4, 9));
    QVERIFY(!bar.isPolling());
    QVERIFY(waitPastDue(1000));   // past the first look a newer Controller gets
    bar.update_status();
    QCOMPARE(bar.channelText(), QString("-"));
    QVERIFY(ch.commands().isEmpty());
}

void tst_StatusBars::radioPollsFrom15()
{
    FakeChannel ch;
    ch.setValue("zelwpan available", "yes");
    ch.setValue("zelwpan radio", "11 0x3a2f");
    RadioStatusBar bar(&ch, protocol(1, 5, -1));
    QVERIFY(bar.isPolling());
    // The first look comes soon after construction, before the 3 s period is due.
    QVERIFY(waitPastDue(1000));
    QCOMPARE(bar.channelText(), QString("11"));
    QCOMPARE(ch.count("quorix2 get zelwpan available"), 1);
    QVERIFY(bar.isRadioAvailable());

    ch.setValue("zelwpan available", "no");
    bar.update_status();
    QCOMPARE(bar.channelText(), QString("-"));
    QVERIFY(!bar.isRadioAvailable());

    ch.setValue("zelwpan available", "yes");
    ch.setValue("zelwpan radio", "0 0x3a2f");
    bar.update_status();
    QCOMPARE(bar.channelText(), QString("-"));

    ch.setValue("zelwpan radio", "3 0x3a2f");
    bar.update_status();
    QCOMPARE(bar.channelText(), QString("3"));

    ch.setBusy(true);
    ch.clearCommands();
    bar.update_status();
    QVERIFY(ch.commands().isEmpty());
}

void tst_StatusBars::radioBrokenConnectionStopsPolling()
{
    FakeChannel ch;
    ch.setValue("zelwpan available", "yes");
    ch.setValue("zelwpan radio", "11 0x3a2f");
    RadioStatusBar bar(&ch, protocol(1, 27, 0));
    bar.update_status();
    QCOMPARE(bar.channelText(), QString("11"));
    ch.setFailure("zelwpan available", -222);
    bar.update_status();
    QVERIFY(!bar.isPolling());
    QCOMPARE(bar.channelText(), QString("-"));   // unknown now, not the last channel
    // For good: a working channel afterwards is not asked again.
    ch.setValue("zelwpan available", "yes");
    ch.clearCommands();
    bar.update_status();
    QVERIFY(ch.commands().isEmpty());

    // Another failure only counts as "not available".
    FakeChannel ch2;
    ch2.setFailure("zelwpan available", -111);
    RadioStatusBar bar2(&ch2, protocol(1, 27, 0));
    bar2.update_status();
    QVERIFY(bar2.isPolling());
    QCOMPARE(bar2.channelText(), QString("-"));
}

void tst_StatusBars::radioUnusableReplies_data()
{
    QTest::addColumn<QByteArray>("radio");
    QTest::newRow("failed") << QByteArray();
    QTest::newRow("not a number") << QByteArray("abc 0x3a2f");
}

void tst_StatusBars::radioUnusableReplies()
{
    QFETCH(QByteArray, radio);
    FakeChannel ch;
    ch.setValue("zelwpan available", "yes");
    ch.setValue("zelwpan radio", "5 0x1");
    RadioStatusBar bar(&ch, protocol(1, 27, 0));
    bar.update_status();
    QCOMPARE(bar.channelText(), QString("5"));
    if (radio.isEmpty())
        ch.setFailure("zelwpan radio", -32);
    else
        ch.setValue("zelwpan radio", radio);
    bar.update_status();
    QCOMPARE(bar.channelText(), QString("-"));
    QVERIFY(!bar.isRadioAvailable());
}

void tst_StatusBars::trackingCounts()
{
    FakeChannel ch;
    ch.setValue("status number_of_bodies", "2");
    ch.setValue("status number_of_marker", "6");
    Host host;
    auto *bar = new TrackingStatusBar(&ch, &host.window);
    QCOMPARE(bar->statusWidget()->bodyText(), QString("-"));
    QCOMPARE(bar->statusWidget()->markerText(), QString("-"));
    QVERIFY(ch.commands().isEmpty());

    // Hidden: nothing asked.
    bar->update_status("mea");
    QVERIFY(ch.commands().isEmpty());

    host.show(bar);
    bar->update_status("mea");
    QCOMPARE(bar->statusWidget()->bodyText(), QString("2"));
    QCOMPARE(bar->statusWidget()->markerText(), QString("6"));

    ch.setFailure("status number_of_bodies", -111);
    ch.setValue("status number_of_marker", "0");
    bar->update_status("cal");
    QCOMPARE(bar->statusWidget()->bodyText(), QString("-1"));
    QCOMPARE(bar->statusWidget()->markerText(), QString("0"));

    // An idle status is not passed on; the stop notice resets the counts.
    ch.clearCommands();
    bar->update_status("none");
    QVERIFY(ch.commands().isEmpty());
    ch.notifyMeasurementStopped();
    QCOMPARE(bar->statusWidget()->bodyText(), QString("-"));
    QCOMPARE(bar->statusWidget()->markerText(), QString("-"));

    ShortStatusWidget widget(&ch);
    widget.update_status("wait");
    QCOMPARE(widget.bodyText(), QString("-"));
}

void tst_StatusBars::appStatusBarConfiguration()
{
    FakeChannel ch;
    ch.setValue("system hostname", "quorixsim");
    ch.setValue("config desc", "\"Lab \"A\" 50%\"");
    AppStatusBar bar(&ch);
    bar.update_status();
    QCOMPARE(bar.configurationText(), QString("Configuration 'Lab A 50%' on Controller 'quorixsim'"));

    // Recomputed only on request; the poll shows the stored text.
    ch.setValue("config desc", "\"Other\"");
    bar.update_status();
    QCOMPARE(bar.configurationText(), QString("Configuration 'Lab A 50%' on Controller 'quorixsim'"));
    bar.update_configuration();
    bar.update_status();
    QCOMPARE(bar.configurationText(), QString("Configuration 'Other' on Controller 'quorixsim'"));

    bar.showMessage("measurement started", 2000);
    QCOMPARE(bar.messageText(), QString("measurement started"));
    bar.clearMessage();
    QCOMPARE(bar.messageText(), QString());
}

// A 199-character description once made the window wider than the screen.
void tst_StatusBars::longStatusTextsShortenedNotTheWindowWidened()
{
    FakeChannel ch;
    ch.setValue("system hostname", "quorixsim");
    QByteArray description;
    while (description.size() < 199)
        description += "hall 3 west ";
    description.truncate(199);
    ch.setValue("config desc", description);
    QMainWindow window;
    window.setCentralWidget(new QLabel("centre"));
    auto *bar = new AppStatusBar(&ch, &window);
    window.setStatusBar(bar);
    bar->update_configuration();
    bar->update_status();
    const QString message = "<b>" + QString(300, 'm') + "</b>";
    bar->showMessage(message, 4000);
    window.resize(800, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QVERIFY2(window.minimumSizeHint().width() < 800, qPrintable(QString::number(window.minimumSizeHint().width())));
    QCOMPARE(window.width(), 800);
    // As long as the channel's reply buffer carries.
    const QString configuration = bar->configurationText();
    QVERIFY(configuration.startsWith("Configuration 'hall 3 west") && configuration.size() > 180);
    QCOMPARE(bar->messageText(), message);
    const QList<QLabel *> labels = bar->findChildren<QLabel *>();
    QStringList tips;
    for (QLabel *label : labels) {
        if (label->toolTip().isEmpty())
            continue;
        tips << label->toolTip();
        QVERIFY2(label->text().endsWith(QChar(0x2026)), qPrintable(label->text()));
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width());
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    tips.sort();
    QStringList expected{configuration, message};
    expected.sort();
    QCOMPARE(tips, expected);

    // Room again: the whole text and no tool tip.
    ch.setValue("config desc", "Lab");
    bar->update_configuration();
    bar->update_status();
    bar->clearMessage();
    QTRY_VERIFY([&] {
        for (QLabel *label : bar->findChildren<QLabel *>())
            if (label->text() == "Configuration 'Lab' on Controller 'quorixsim'")
                return label->toolTip().isEmpty();
        return false;
    }());
}

// A host name or description that looks like markup is shown as it is.
void tst_StatusBars::appStatusBarShowsControllerTextsLiterally()
{
    FakeChannel ch;
    ch.setValue("system hostname", "<b>x</b>");
    ch.setValue("config desc", "\"<i>hall</i> &amp;\"");
    AppStatusBar bar(&ch);
    bar.update_status();
    bar.showMessage("<b>x</b> answers", 2000);
    QCOMPARE(bar.configurationText(), QString("Configuration '<i>hall</i> &amp;' on Controller '<b>x</b>'"));
    QCOMPARE(bar.messageText(), QString("<b>x</b> answers"));
    const QList<QLabel *> labels = bar.findChildren<QLabel *>();
    QVERIFY(labels.size() >= 2);
    for (QLabel *label : labels)
        QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->text()));
}

// A bar that is detached from the channel (connection lost, shutdown) no longer
// knows: it shows "-", never the last values as if they were current.
void tst_StatusBars::detachedBarsShowUnknown()
{
    FakeChannel ch;
    ch.setValue("camera number_of_cameras", "2");
    ch.setValue("status number_of_bodies", "2");
    ch.setValue("status number_of_marker", "6");
    ch.setValue("status output_frequency", "60.0");
    Host host;
    auto *cams = new CamStatusBar(&ch, &host.window);
    auto *tracking = new TrackingStatusBar(&ch, &host.window);
    auto *freq = new FreqStatusBar(&ch, protocol(1, 27, 0), &host.window);
    host.show(cams);
    host.show(tracking);
    host.show(freq);
    for (CamStatusWidget *w : cams->widgets())
        w->showCounts(18, 17);
    tracking->update_status("mea");
    freq->showFrequency();
    QCOMPARE(tracking->statusWidget()->bodyText(), QString("2"));
    QCOMPARE(freq->field()->text(), QString("60 Hz"));
    const QList<CamStatusWidget *> cameraFields = cams->widgets();
    QCOMPARE(cameraFields.size(), 2);

    cams->detach();
    tracking->detach();
    freq->detach();
    for (CamStatusWidget *w : cameraFields)
        QCOMPARE(w->fieldText(), CamStatusWidget::markerText(-1, -1));
    QCOMPARE(tracking->statusWidget()->bodyText(), QString("-"));
    QCOMPARE(tracking->statusWidget()->markerText(), QString("-"));
    QCOMPARE(freq->field()->text(), QString(" - "));
}

QTEST_MAIN(tst_StatusBars)
#include "tst_statusbars.moc"
