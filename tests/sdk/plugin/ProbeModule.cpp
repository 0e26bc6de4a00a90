#include "ProbeModule.h"

void ProbeModule::detachFromController()
{
    if (IOManager *channel = commandManager()) {
        channel->removeRequester(this);
        channel->removeMessageReceiver("SdkProbe", this);
    }
}

int ProbeModule::receive(int type, const char *sender, const char *text)
{
    show(QStringLiteral("%1|%2|%3").arg(type).arg(QString::fromLatin1(sender), QString::fromLatin1(text)));
    return 0;
}

DockModule::Dock ProbeModule::describeDock()
{
    Dock dock;
    dock.title = QStringLiteral("Probe");
    dock.objectName = QStringLiteral("ProbeDock");
    dock.menuName = QStringLiteral("&Probe");
    dock.menuPosition = 450;
    dock.actionPosition = 30;
    dock.actionText = QStringLiteral("&Probe");
    dock.statusTip = QStringLiteral("Show the probe");
    dock.whatsThis = QStringLiteral("What reached the probe");
    dock.availableWhileMeasuring = 0;
    return dock;
}

// Every call into the host goes through the channel's table.
QWidget *ProbeModule::createContent()
{
    m_label = new QLabel(moduleParent());
    m_label->setObjectName(QStringLiteral("ProbeLabel"));
    IOManager *channel = commandManager();
    char version[IOManager::BufferSize] = "";
    if (channel && channel->getString(version, "system %s", "version") == 0)
        show(QString::fromLatin1(version) + QLatin1Char('/') + (backendVersions() ? backendVersions()->model : QString()));
    if (channel) {
        channel->addRequester(this);
        channel->addMessageReceiver("SdkProbe", this);
    }
    return m_label;
}

void ProbeModule::show(const QString &text)
{
    if (m_label)
        m_label->setText(text);
}
