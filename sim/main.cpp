// controller-sim: a stand-in tracking Controller on this machine.
#include "ControllerSimulator.h"
#include "RecordingFile.h"
#include "RecordingIndex.h"
#include "SimProfile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &c, 1);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("controller-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORIX_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated tracking Controller: answers the Controller command protocol on TCP and UDP and\n"
        "streams measurement data while a measurement runs.\n"
        "Options are applied after the profile, so the command line wins. A profile holds\n"
        "\"name = value\" lines with the option names below (without the dashes); # starts a comment.\n"
        "Patterns of the fault options match commands that start with them, with or without \"quorix2 \"."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("bind"), QStringLiteral("IPv4 address to listen on; 0.0.0.0 also answers broadcasts (default 127.0.0.1)"),
                      QStringLiteral("ADDR"), QStringLiteral("127.0.0.1")});
    parser.addOption({QStringLiteral("port"), QStringLiteral("command port, TCP and UDP (default 50105)"), QStringLiteral("N"),
                      QStringLiteral("50105")});
    parser.addOption({QStringLiteral("profile"), QStringLiteral("read scenario and fault options from FILE"), QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("replay"),
                      QStringLiteral("answer and stream as the Controller of the recording FILE did, from the first "
                                     "command on, once (a file QUORIX4 saved with \"Save recording...\")"),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("log"), QStringLiteral("append every received command with its time, transport and sender to FILE"),
                      QStringLiteral("FILE")});
    for (const SimScenario::Option& o : SimScenario::options())
        parser.addOption({QString::fromLatin1(o.name), QString::fromLatin1(o.help), QString::fromLatin1(o.valueName)});
    for (const SimFaults::Option& o : SimFaults::options())
        parser.addOption({QString::fromLatin1(o.name), QString::fromLatin1(o.help), QString::fromLatin1(o.valueName)});
    parser.process(app);

    QTextStream err(stderr);
    SimScenario scenario;
    SimFaults faults;
    QString error;
    if (parser.isSet(QStringLiteral("profile"))
        && !SimProfile::load(parser.value(QStringLiteral("profile")), &scenario, &faults, &error)) {
        err << "controller-sim: " << error << "\n";
        return 2;
    }
    for (const SimScenario::Option& o : SimScenario::options()) {
        const QString name = QString::fromLatin1(o.name);
        for (const QString& v : parser.values(name))
            if (!scenario.applyOption(name, v, &error)) {
                err << "controller-sim: --" << error << "\n";
                return 2;
            }
    }
    for (const SimFaults::Option& o : SimFaults::options()) {
        const QString name = QString::fromLatin1(o.name);
        for (const QString& v : parser.values(name))
            if (!faults.applyOption(name, v, &error)) {
                err << "controller-sim: --" << error << "\n";
                return 2;
            }
    }
    if (!scenario.validate(&error)) {
        err << "controller-sim: --" << error << "\n";
        return 2;
    }
    bool portOk = false;
    const uint port = parser.value(QStringLiteral("port")).toUInt(&portOk);
    if (!portOk || port > 65535) {
        err << "controller-sim: --port: expected a number from 0 to 65535\n";
        return 2;
    }

    std::shared_ptr<const RecordingIndex> replay;
    if (parser.isSet(QStringLiteral("replay"))) {
        const RecordingReader::Result read = RecordingFile::load(parser.value(QStringLiteral("replay")));
        if (!read.replayable()) {
            err << "controller-sim: --replay: " << read.message << "\n";
            return 2;
        }
        if (!read.message.isEmpty())
            err << "controller-sim: --replay: " << read.message << "\n" << Qt::flush;
        replay = std::make_shared<const RecordingIndex>(read.recording);
    }

    ControllerSimulator sim(scenario);
    sim.setFaults(faults);
    if (parser.isSet(QStringLiteral("log")))
        sim.setLogFile(parser.value(QStringLiteral("log")));
    if (!sim.start(parser.value(QStringLiteral("bind")), quint16(port), &error)) {
        err << "controller-sim: cannot listen: " << error << "\n";
        return 1;
    }
    QTextStream(stdout) << "controller-sim: listening on " << parser.value(QStringLiteral("bind")) << ":" << sim.port()
                        << " (TCP and UDP), stream from port " << sim.senderPort() << "\n"
                        << Qt::flush;

    if (replay) {
        const qint64 seconds = (replay->endUs() - replay->startUs()) / 1000000;
        QTextStream(stdout) << "controller-sim: replaying " << parser.value(QStringLiteral("replay")) << " ("
                            << replay->records().size() << " records, " << seconds / 60 << " min " << seconds % 60
                            << " s) from the first command on\n"
                            << Qt::flush;
        sim.setReplay(replay);
        auto* watch = new QTimer(&app);
        QObject::connect(watch, &QTimer::timeout, &app, [&sim, watch] {
            if (!sim.replayEnded())
                return;
            watch->stop();
            QTextStream(stdout) << "controller-sim: replay ended; the last replies stay, no more data\n" << Qt::flush;
        });
        watch->start(200);
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
    }
    const int rc = app.exec();
    sim.stop();
    return rc;
}
