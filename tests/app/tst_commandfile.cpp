#include "CommandFile.h"
#include "ControllerSimulator.h"
#include "IOManagerUdpTcp.h"
#include "MessageBoxProvider.h"
#include "MessageCollector.h"
#include "TestHome.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr quint16 Port = 50105;

using Message = MessageCollector::Message;

// Stands in for the main window: every box asked for is one modal box there.
class Boxes : public MessageBoxProvider
{
public:
    void openMessageBox(int type, QString title, QString text) override
    {
        seen.append({type, title, text});
    }
    QList<Message> seen;   // sender holds the title
};

void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(content), qint64(content.size()));
}

} // namespace

class TestCommandFile : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<ControllerSimulator> m_sim;
    std::unique_ptr<IOManagerUdpTcp> m_channel;
    MessageCollector m_collector;
    Boxes m_boxes;
    QTemporaryDir m_appDir;
    int m_next = 200;

    QStringList commandsReceived() const
    {
        QStringList out;
        const auto entries = m_sim->commandLog();
        for (const auto &e : entries)
            if (e.transport != QLatin1String("data"))
                out << e.text;
        return out;
    }

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        const QString address = QStringLiteral("127.0.6.%1").arg(m_next++);
        m_sim = std::make_unique<ControllerSimulator>();
        QString error;
        QVERIFY2(m_sim->start(address, Port, &error), qPrintable(error));
        m_channel = std::make_unique<IOManagerUdpTcp>(&m_boxes);
        m_boxes.seen.clear();
        unsigned short dataPort = 0;
        QCOMPARE(m_channel->connectController(address.toLatin1().constData(), Port, &dataPort), 0);
        QCOMPARE(m_channel->addMessageReceiver("standard", &m_collector), 0);
        m_collector.messages.clear();
        m_sim->clearCommandLog();
        QFile::remove(CommandFile::path(m_appDir.path()));
    }
    void cleanup()
    {
        if (m_channel)
            m_channel->removeMessageReceiver("standard", &m_collector);
        m_channel.reset();
        m_sim.reset();
        m_home.reset();
    }

    void noFileDoesNothing()
    {
        CommandFile::run(m_channel.get(), m_appDir.path());
        QVERIFY(m_collector.messages.isEmpty());
        QVERIFY(commandsReceived().isEmpty());
    }

    void onlyCommandLinesAreSent()
    {
        const QString path = CommandFile::path(m_appDir.path());
        QCOMPARE(path, m_appDir.path() + QStringLiteral("/quorix2cmd.txt"));
        const QByteArray first = "quorix2 set config owner \"lab 3\"";
        const QByteArray second = "quorix2 set config desc \"100% ready %s %d %n\"";
        writeFile(path, "# prepare the lab Controller\n"
                        "  quorix2 set config owner \"indented\"\n"
                        "QUORIX2 set config owner \"capitals\"\n"
                        + first + "\n"
                        "\n"
                        "quorix2\n"
                        + second + "\n");

        CommandFile::run(m_channel.get(), m_appDir.path());

        QCOMPARE(commandsReceived(), QStringList({QString::fromLatin1(first), QString::fromLatin1(second)}));
        QCOMPARE(m_sim->parameter(QStringLiteral("config desc")), QStringLiteral("\"100% ready %s %d %n\""));
        QCOMPARE(m_collector.texts(), QStringList({QStringLiteral("Executing command file %1").arg(path),
                                                   QStringLiteral("Executing command '%1'").arg(QString::fromLatin1(first)),
                                                   QStringLiteral("Executing command '%1'").arg(QString::fromLatin1(second))}));
        for (const auto &m : m_collector.messages) {
            QCOMPARE(m.sender, QStringLiteral("QUORIX4"));
            QCOMPARE(m.type, 1);
        }
        // The file is left for the next start.
        QVERIFY(QFile::exists(path));
    }

    void fileWithoutCommands()
    {
        const QString path = CommandFile::path(m_appDir.path());
        writeFile(path, "# nothing to do yet\n# quorix2 set config owner \"x\"\n");

        CommandFile::run(m_channel.get(), m_appDir.path());

        QVERIFY(commandsReceived().isEmpty());
        QCOMPARE(m_collector.texts(), QStringList({QStringLiteral("Executing command file %1").arg(path),
                                                   QStringLiteral("No quorix2 command found to execute")}));
    }

    // A file full of bad lines must not open a box per line: each failure is
    // reported in the event display and one box sums them up.
    void manyFailingLinesOneBox()
    {
        const QString path = CommandFile::path(m_appDir.path());
        QByteArray content;
        for (int i = 0; i < 1000; ++i)
            content += "quorix2 get no_such_parameter_" + QByteArray::number(i) + "\n";
        writeFile(path, content);

        QCOMPARE(CommandFile::run(m_channel.get(), m_appDir.path(), &m_boxes), 1000);

        QCOMPARE(m_boxes.seen.size(), 1);
        QCOMPARE(m_boxes.seen[0].sender, QStringLiteral("Command Error"));
        QVERIFY2(m_boxes.seen[0].text.startsWith(QStringLiteral("1000 commands of the command file %1 failed.").arg(path)),
                 qPrintable(m_boxes.seen[0].text));
        QCOMPARE(commandsReceived().size(), 1000);
        QStringList failures;
        for (const auto &m : m_collector.messages) {
            QCOMPARE(m.sender, QStringLiteral("QUORIX4"));
            QCOMPARE(m.type, 1);
            if (m.text.contains(QLatin1String("failed")))
                failures << m.text;
        }
        QCOMPARE(failures.size(), 1000);
        QVERIFY2(failures.last().startsWith("Command 'quorix2 get no_such_parameter_999' failed: quorix2 err "),
                 qPrintable(failures.last()));
    }

    // A zero byte would cut the command short on the wire and send another
    // command than the file says: such a line fails without being sent.
    void lineWithZeroByteIsNotSent()
    {
        const QString path = CommandFile::path(m_appDir.path());
        writeFile(path, QByteArray("quorix2 set config owner \"a") + '\0' + "b\"\r\nquorix2 set config desc \"ok\"\r\n");

        QCOMPARE(CommandFile::run(m_channel.get(), m_appDir.path()), 1);
        QCOMPARE(commandsReceived(), QStringList({QStringLiteral("quorix2 set config desc \"ok\"")}));
        QVERIFY2(m_collector.texts().contains(
                     QStringLiteral("Command 'quorix2 set config owner \"a\\0b\"' failed: it contains a zero byte")),
                 qPrintable(m_collector.texts().join('\n')));
        QCOMPARE(CommandFile::commands("quorix2 a\r\nquorix2 b\n\rquorix2 c"),
                 QList<QByteArray>({"quorix2 a", "quorix2 b", "quorix2 c"}));
    }

    void failuresOfEveryKindAreReportedAndTheFileGoesOn()
    {
        const QString path = CommandFile::path(m_appDir.path());
        const QByteArray tooLong = "quorix2 set config desc \"" + QByteArray(220, 'x') + "\"";
        writeFile(path, "quorix2 bogus %2 %s\n" + tooLong + "\nquorix2 set config owner \"after\"\n");

        // Without a box provider nothing is shown but the event display.
        QCOMPARE(CommandFile::run(m_channel.get(), m_appDir.path()), 2);
        QVERIFY(m_boxes.seen.isEmpty());
        QCOMPARE(m_sim->parameter(QStringLiteral("config owner")), QStringLiteral("\"after\""));
        const QStringList texts = m_collector.texts();
        QVERIFY2(texts.indexOf(QRegularExpression("^Command 'quorix2 bogus %2 %s' failed: quorix2 err .*")) >= 0,
                 qPrintable(texts.join('\n')));
        QVERIFY(texts.contains(QStringLiteral("Command '%1' failed with code -1").arg(QString::fromLatin1(tooLong))));

        // One failure, one box.
        m_collector.messages.clear();
        writeFile(path, "quorix2 bogus\nquorix2 set config owner \"fine\"\n");
        QCOMPARE(CommandFile::run(m_channel.get(), m_appDir.path(), &m_boxes), 1);
        QCOMPARE(m_boxes.seen.size(), 1);
        QCOMPARE(m_boxes.seen[0].text,
                 QStringLiteral("One command of the command file %1 failed.\nThe event display shows it.").arg(path));

        // Nothing failed: no box.
        m_boxes.seen.clear();
        writeFile(path, "quorix2 set config owner \"fine\"\n");
        QCOMPARE(CommandFile::run(m_channel.get(), m_appDir.path(), &m_boxes), 0);
        QVERIFY(m_boxes.seen.isEmpty());
    }
};

QTEST_MAIN(TestCommandFile)
#include "tst_commandfile.moc"
