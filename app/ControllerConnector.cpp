#include "ControllerConnector.h"

#include "AccessControl.h"
#include "HostCheck.h"
#include "IOManagerUdpTcp.h"
#include "IpDialog.h"
#include "PasswordGate.h"
#include "PlainTextBox.h"
#include "Preferences.h"
#include "Socket.h"
#include "Theme.h"
#include "TrackboxSelection.h"
#include "UdpQuery.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProgressDialog>

#include <cstring>

namespace {

// A quick look whether the remembered Controller is there at all.
bool answersVersionQuery(const QString &address)
{
    const unsigned ip = Socket::resolve(address.toLatin1().constData());
    Socket probe;
    if (!ip || probe.openUdp(0, Socket::BindAnyPort) != Socket::Ok)
        return false;
    QByteArray reply;
    return UdpQuery::ask(probe, ip, AccessControl::DefaultPort, "quorix2 get system version", 500000, &reply)
        == UdpQuery::Answered;
}

} // namespace

ControllerConnector::ControllerConnector(Preferences &prefs, const CommandLine::Options &options,
                                         MessageBoxProvider *boxes, QWidget *parent)
    : m_prefs(prefs)
    , m_options(options)
    , m_boxes(boxes)
    , m_parent(parent)
{
}

ControllerConnector::~ControllerConnector() = default;

ControllerConnector::Connection ControllerConnector::run()
{
    const bool direct = (m_options.directStart || m_options.hostGiven) && !m_options.hostText.isEmpty();
    const bool connected = direct ? connectDirectly() : connectThroughDialog();
    if (!connected)
        m_connection.channel.reset();
    m_dialog.reset();
    return std::move(m_connection);
}

IpDialog *ControllerConnector::createConnectDialog(const Preferences &prefs, QWidget *parent)
{
    auto *dialog = new IpDialog(parent, Qt::FramelessWindowHint, prefs.frontendPassword.toLatin1());
    Theme::apply(dialog, prefs.darkTheme);
    dialog->setSplash(QPixmap(prefs.darkTheme ? QStringLiteral(":/images/splash-dark.png")
                                              : QStringLiteral(":/images/splash-bright.png")));
    dialog->setTrackbox(prefs.lastHostName);
    dialog->setTrackboxAddress(prefs.lastIp);
    dialog->setTrackboxPort(AccessControl::DefaultPort);
    dialog->setTrackboxMac(prefs.lastMac);
    dialog->setTrackboxModel(prefs.lastModel);
    return dialog;
}

bool ControllerConnector::connectThroughDialog()
{
    m_connection.throughDialog = true;
    if (!m_options.hostText.isEmpty())
        m_prefs.lastHostName = m_options.hostText;
    if (m_options.wakeUp && !m_options.macText.isEmpty())
        m_prefs.lastMac = m_options.macText;

    m_dialog.reset(createConnectDialog(m_prefs, m_parent));
    m_dialog->setTrackboxSerial(m_prefs.lastSerial);
    // The first search looks everywhere: a remembered subnet or "this
    // computer" would hide the Controllers elsewhere. What the user chooses
    // in the dialog is remembered again once connected.
    m_dialog->setFixedHostOrIp(QString());
    m_dialog->setFixedSubnet(QString());
    m_dialog->setSelectionMode(TrackboxSelection::ModeSubnet);
    m_dialog->setCascadedSystem(m_prefs.cascadedSystem);

    // The remembered Controller, when it answers as remembered, without showing
    // the dialog; anything else is for the user to decide in the dialog.
    if (m_options.directStart && !m_prefs.lastIp.isEmpty() && answersVersionQuery(m_prefs.lastIp)
        && m_dialog->try_connect() == 0)
        return passwordCheck() && openChannel();

    if (m_options.wakeUp)
        return wakeAndCheck(m_dialog->try_connect()) ? openChannel() : m_dialog->wakeCancelled() && backToConnectDialog();

    if (m_dialog->exec_connect() != QDialog::Accepted)
        return false;
    return openChannel();
}

bool ControllerConnector::connectDirectly()
{
    const QString host = m_options.hostText;
    // "-host" names a Controller: nothing remembered of another one may stand
    // in for it. "-directstart" means the remembered one.
    const bool named = m_options.hostGiven;
    QString name;
    QString address;
    unsigned dotted = 0;
    if (HostCheck::parseDotted(host, &dotted)) {
        address = host;
    } else {
        name = host;
        if (const unsigned ip = Socket::resolve(host.toLatin1().constData()))
            address = HostCheck::dotted(ip);
        else if (!named)
            address = m_prefs.lastIp;
        if (address.isEmpty())
            return fail(tr("No connection to Controller %1:\nthe name cannot be resolved").arg(host));
    }

    // The MAC matters only for waking; without it a silent Controller is
    // reported as such instead of ending the program without a word.
    QString mac;
    if (m_options.wakeUp)
        mac = named ? CommandLine::macWithColons(m_options.macText) : m_prefs.lastMac;

    m_dialog.reset(createConnectDialog(m_prefs, m_parent));
    m_dialog->setTrackbox(name);
    m_dialog->setTrackboxAddress(address);
    m_dialog->setTrackboxMac(mac);
    m_dialog->setTrackboxModel(named ? QString() : m_prefs.lastModel);
    m_dialog->setTrackboxSerial(named ? QString() : m_prefs.lastSerial);
    m_dialog->setCascadedSystem(m_prefs.cascadedSystem);

    if (m_options.wakeUp)
        return wakeAndCheck(m_dialog->try_connect_2()) ? openChannel()
                                                       : m_dialog->wakeCancelled() && backToConnectDialog();

    const int r = m_dialog->try_connect_2();
    if (r < 0)
        return fail(tr("No connection to Controller %1").arg(host));
    if (r > 0)
        return false;   // the dialog has said why
    if (!named && !m_prefs.lastHostName.isEmpty() && m_dialog->trackbox() != m_prefs.lastHostName) {
        // Another Controller answers at the remembered address: the user chooses.
        m_options.directStart = false;
        m_options.hostText = m_prefs.lastHostName;
        return connectThroughDialog();
    }
    if (m_dialog->try_connect() != 0)
        return fail(tr("No connection to Controller %1").arg(host));
    return passwordCheck() && openChannel();
}

// firstCheck is the result of the check that ran before waking: 0 the
// Controller is there, 1 it is silent and a MAC is known.
bool ControllerConnector::wakeAndCheck(int firstCheck)
{
    if (firstCheck == 0)
        return passwordCheck();
    if (firstCheck < 0)
        return fail(tr("No connection to Controller %1").arg(m_options.hostText));
    if (firstCheck != 1)
        return false;   // the dialog has said why
    m_dialog->setResult(QDialog::Rejected);
    m_dialog->doWakeOnLan();
    // The dialog accepts itself once the Controller answers, through its
    // password check; anything else means the Controller stayed silent.
    if (m_dialog->result() == QDialog::Accepted)
        return true;
    if (m_dialog->heldShown() || m_dialog->wakeCancelled())
        return false;   // held: the dialog has said so; cancelled: the user goes back to the connect dialog
    return fail(tr("No connection to Controller %1").arg(m_dialog->trackbox().isEmpty() ? m_dialog->trackboxAddress()
                                                                                          : m_dialog->trackbox()));
}

// The user stopped waiting, not the program: the connect dialog lets them
// check again, choose another Controller or leave, for the same Controller.
bool ControllerConnector::backToConnectDialog()
{
    m_options.wakeUp = false;
    m_options.directStart = false;
    m_options.hostText.clear();
    m_prefs.lastHostName = m_dialog->trackbox();
    if (m_dialog->trackboxIp())
        m_prefs.lastIp = m_dialog->trackboxAddress();
    if (!m_dialog->trackboxMac().isEmpty())
        m_prefs.lastMac = m_dialog->trackboxMac();
    return connectThroughDialog();
}

bool ControllerConnector::passwordCheck()
{
    const unsigned ip = m_dialog->trackboxIp();
    if (!ip)
        return false;
    return PasswordGate::pass(ip, 0, m_prefs.frontendPassword.toLatin1(), tr("QUORIX4: Authorize with valid password"),
                              m_parent);
}

bool ControllerConnector::openChannel()
{
    m_connection.address = m_dialog->trackboxAddress();
    m_connection.hostName = m_dialog->trackbox();
    m_connection.channel.reset(new IOManagerUdpTcp(m_boxes));
    if (!connectChannel())
        return false;
    m_connection.channel->setCommandLog(m_prefs.commandsLogEnabled, m_prefs.commandsLogName,
                                        m_prefs.commandsLogResponsePrefix);
    rememberController();
    return confirmFullAccess();
}

// The attempt is bounded; a slow one shows that it is trying and can be
// cancelled, which leads back to the connect dialog.
bool ControllerConnector::connectChannel()
{
    const QString name = m_dialog->trackbox().isEmpty() ? m_connection.address : m_dialog->trackbox();
    const unsigned short port = m_dialog->trackboxPort();
    QProgressDialog progress(tr("Connecting to Controller %1 (%2)...").arg(name, m_connection.address), tr("Cancel"),
                             0, 0, m_parent);
    progress.setWindowTitle(tr("QUORIX4"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setMinimumDuration(0);
    // keepWaiting shows it, after ShowProgressAfterMs: the dialog's own timer,
    // which would show it at once, is stopped.
    progress.reset();
    QElapsedTimer clock;
    clock.start();
    const auto keepWaiting = [&] {
        if (!progress.isVisible() && clock.elapsed() >= ShowProgressAfterMs)
            progress.show();
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
    const int r = m_connection.channel->connectController(m_connection.address.toLatin1().constData(), port,
                                                          &m_connection.dataPort, keepWaiting);
    progress.hide();
    if (r >= 0)
        return true;
    const IOManagerUdpTcp::ConnectFailure why = m_connection.channel->connectFailure();
    m_connection.channel.reset();
    if (why == IOManagerUdpTcp::ConnectFailure::Cancelled)
        return backToConnectDialog();
    return fail(connectFailureText(why, name, port));
}

QString ControllerConnector::connectFailureText(IOManagerUdpTcp::ConnectFailure why, const QString &name,
                                                unsigned short port)
{
    const QString head = tr("Cannot connect to Controller %1:").arg(name) + QLatin1Char('\n');
    switch (why) {
    case IOManagerUdpTcp::ConnectFailure::TimedOut:
        return head
            + tr("It did not take the command connection on TCP port %1 within %2 s.\n"
                 "Check that no firewall between this computer and the Controller blocks TCP port %1, "
                 "then the cabling and network settings.")
                  .arg(port)
                  .arg(IOManagerUdpTcp::ConnectTimeoutMs / 1000);
    case IOManagerUdpTcp::ConnectFailure::Refused:
        return head
            + tr("It refused the command connection on TCP port %1: its tracking service may not be running.\n"
                 "Restart the Controller, then check that it is the Controller you meant.")
                  .arg(port);
    case IOManagerUdpTcp::ConnectFailure::Unresolved:
        return head
            + tr("The name could not be resolved within %1 s.\n"
                 "Check the name server settings, or connect by the Controller's IP address.")
                  .arg(IOManagerUdpTcp::LookupTimeoutMs / 1000);
    default:
        return head + tr("Check cabling and network settings");
    }
}

// The Controller actually connected, so that Reconnect and -directstart reach
// it again and no other.
void ControllerConnector::rememberController()
{
    const bool sameAsRemembered = m_connection.hostName == m_prefs.lastHostName;
    m_prefs.lastHostName = m_connection.hostName;
    m_prefs.lastIp = m_connection.address;
    m_prefs.lastMac = m_dialog->trackboxMac();
    m_prefs.lastSerial = m_dialog->trackboxSerial();
    if (!sameAsRemembered)
        m_prefs.lastModel.clear();   // read again once the channel is up
    if (m_connection.throughDialog) {
        m_prefs.fixHostnameOrIp = m_dialog->fixedHostOrIp();
        m_prefs.fixSubnet = m_dialog->fixedSubnet();
        m_prefs.selectionMode = m_dialog->selectionMode();
    }
    const QString warning = m_prefs.write();
    if (!warning.isEmpty())
        QMessageBox::warning(m_parent, Preferences::writeWarningTitle(), warning, QMessageBox::Ok);
}

bool ControllerConnector::confirmFullAccess()
{
    char access[200] = "";
    if (m_connection.channel->getString(access, "system access") != 0 || std::strcmp(access, "full") != 0) {
        QMessageBox::critical(m_parent, tr("QUORIX4 error"),
                              tr("Cannot get full access to %1. Init unsuccessful").arg(m_connection.address));
        m_connection.channel.reset();
        return false;
    }
    return true;
}

bool ControllerConnector::fail(const QString &text)
{
    PlainTextBox::critical(m_parent, tr("Error"), text);   // it names the Controller
    return false;
}
