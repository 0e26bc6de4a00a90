// A Qt window whose GUI thread is held in known ways, so that gui-stalls
// --check can show that wm-ping sees what it should:
//   wm-ping-check block MS EVERY   sleeps MS on the GUI thread every EVERY ms
//   wm-ping-check modal            opens a modal message box after 1 s
//   wm-ping-check localloop MS     waits MS in a local event loop that holds
//                                  user input, again and again
//   wm-ping-check idle             does nothing
// Build: g++ -fPIC -std=c++17 wm-ping-check.cpp $(pkg-config --cflags --libs Qt5Widgets)

#include <QApplication>
#include <QEventLoop>
#include <QMainWindow>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString mode = args.value(0, QStringLiteral("idle"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("wm-ping-check ") + mode);
    window.resize(400, 300);
    window.show();

    if (mode == QLatin1String("block")) {
        const int ms = args.value(1).toInt(), every = args.value(2).toInt();
        auto *t = new QTimer(&window);
        QObject::connect(t, &QTimer::timeout, [ms] { QThread::msleep(ms); });
        t->start(every);
    } else if (mode == QLatin1String("modal")) {
        QTimer::singleShot(1000, &window, [&window] {
            QMessageBox::information(&window, QStringLiteral("Modal"), QStringLiteral("A modal box stays open."));
        });
    } else if (mode == QLatin1String("localloop")) {
        const int ms = args.value(1).toInt();
        QTimer::singleShot(200, &window, [ms] {
            for (;;) {
                QEventLoop loop;
                QTimer::singleShot(ms, &loop, &QEventLoop::quit);
                loop.exec(QEventLoop::ExcludeUserInputEvents);
            }
        });
    }
    return app.exec();
}
