// Where boxes open when the window that asks for them cannot be seen.
#include "BoxPlacement.h"
#include "ModalWatcher.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QScreen>
#include <QtTest>

#include <functional>

class tst_BoxPlacement : public QObject
{
    Q_OBJECT

private:
    // The centre of the box that opens while run() runs, relative to the given centre.
    static QPoint offset(const std::function<void()> &run, const std::function<QPoint()> &centre)
    {
        ModalWatcher watcher;
        watcher.answer("Box", ModalWatcher::Answer::leaveOpen());
        QPoint found(9999, 9999);
        QTimer::singleShot(200, [&] {
            if (QWidget *box = QApplication::activeModalWidget()) {
                found = box->frameGeometry().center() - centre();
                box->close();
            }
        });
        run();
        return found;
    }

private slots:
    void initTestCase() { BoxPlacement::install(); }

    // The main window before it is shown: its place means nothing yet.
    void hiddenParentGivesTheScreenCentre()
    {
        QWidget hidden;
        hidden.setGeometry(0, 0, 200, 100);
        const QPoint off = offset([&] { QMessageBox::critical(&hidden, "Box", "early"); },
                                  [] { return QGuiApplication::primaryScreen()->availableGeometry().center(); });
        QVERIFY2(off.manhattanLength() <= 2, qPrintable(QString("%1,%2").arg(off.x()).arg(off.y())));
    }

    // A box of no window goes onto the window the user looks at.
    void noParentGoesOntoTheVisibleWindow()
    {
        QMainWindow window;
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        window.setGeometry(screen.left() + screen.width() / 2, screen.top() + 40, screen.width() / 3, screen.height() / 2);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint off = offset([] { QMessageBox::critical(nullptr, "Box", "from a thread's report"); },
                                  [&] { return window.frameGeometry().center(); });
        QVERIFY2(off.manhattanLength() <= 2, qPrintable(QString("%1,%2").arg(off.x()).arg(off.y())));

        // A box its code has placed stays there.
        QMessageBox box(QMessageBox::Information, "Box", "placed");
        box.move(screen.topLeft() + QPoint(5, 5));
        const QPoint kept = offset([&] { box.exec(); }, [] { return QPoint(); });
        QCOMPARE(kept, box.frameGeometry().center());
        QCOMPARE(box.pos(), screen.topLeft() + QPoint(5, 5));
    }
};

QTEST_MAIN(tst_BoxPlacement)
#include "tst_boxplacement.moc"
