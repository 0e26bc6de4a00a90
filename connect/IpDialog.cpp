#include "IpDialog.h"
#include "ui_IpDialog.h"

#include "ControllerVersion.h"
#include "EndlessProgressDlg.h"
#include "HostCheck.h"
#include "CommandChannel.h"
#include "UdpQuery.h"
#include "PasswordGate.h"
#include "PlainTextBox.h"
#include "Socket.h"
#include "TrackboxSelection.h"
#include "Version.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QStringList>
#include <QTextCursor>
#include <QTimer>

#include <cstring>

namespace {

const long ReplyWaitUs = 500000;

} // namespace

IpDialog::IpDialog(QWidget *parent, Qt::WindowFlags flags, const QByteArray &startPassword)
    : QDialog(parent, flags)
    , ui(std::make_unique<Ui::IpDialog>())
    , m_startPassword(startPassword)
{
    ui->setupUi(this);
    setFixedSize(630, 393);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    QFont font(QStringLiteral("Sans Serif"), 8);
    font.setItalic(true);
    font.setStyleStrategy(QFont::PreferAntialias);
    ui->textEdit->setFont(font);
    QPalette transparent = ui->textEdit->palette();
    transparent.setBrush(QPalette::Base, Qt::transparent);
    ui->textEdit->setPalette(transparent);
    ui->textEdit->viewport()->setAutoFillBackground(false);

    QFont title = ui->label_software->font();
    title.setPointSize(20);
    title.setBold(true);
    ui->label_software->setFont(title);
    ui->label_title->setText(QStringLiteral("v%1.%2.%3").arg(QuorixVersion::Major).arg(QuorixVersion::Minor).arg(QuorixVersion::Patch)
                             + QStringLiteral(" - %1").arg(QLatin1String(QuorixVersion::ReleaseDate)));

    ui->pushButton_connect->setEnabled(false);
    ui->pushButton_wol->hide();
    ui->pushButton_retry->hide();
    connect(ui->pushButton_connect, &QPushButton::clicked, this, &IpDialog::accept);
    connect(ui->pushButton_exit, &QPushButton::clicked, this, &IpDialog::reject);
}

// Made when first needed: it asks the service manager about the local back
// end and watches it, which a start that never opens it should not pay for.
TrackboxSelection *IpDialog::selectionDialog()
{
    if (m_selection)
        return m_selection;
    m_selection = new TrackboxSelection(this);
    m_selection->setFixedHostOrIp(m_fixedHostOrIp);
    m_selection->setFixedSubnet(m_fixedSubnet);
    m_selection->setSelectionMode(m_selectionMode);
    // Queued: the chosen Controller arrives once the selection dialog has
    // closed, and its address starts this dialog's check.
    connect(m_selection, &TrackboxSelection::trackbox_changed, this, &IpDialog::setTrackbox, Qt::QueuedConnection);
    connect(m_selection, &TrackboxSelection::trackbox_changed_port, this, &IpDialog::setTrackboxPort, Qt::QueuedConnection);
    connect(m_selection, &TrackboxSelection::trackbox_changed_ip, this, &IpDialog::setTrackboxIp, Qt::QueuedConnection);
    connect(m_selection, &TrackboxSelection::trackbox_changed_serial, this, &IpDialog::setTrackboxSerial,
            Qt::QueuedConnection);
    connect(m_selection, &TrackboxSelection::trackbox_changed_mac, this, &IpDialog::setTrackboxMac, Qt::QueuedConnection);
    return m_selection;
}

QString IpDialog::fixedHostOrIp() const { return m_selection ? m_selection->fixedHostOrIp() : m_fixedHostOrIp; }
QString IpDialog::fixedSubnet() const { return m_selection ? m_selection->fixedSubnet() : m_fixedSubnet; }
int IpDialog::selectionMode() const { return m_selection ? m_selection->selectionMode() : m_selectionMode; }

void IpDialog::setFixedHostOrIp(const QString &text)
{
    m_fixedHostOrIp = text;
    if (m_selection)
        m_selection->setFixedHostOrIp(text);
}

void IpDialog::setFixedSubnet(const QString &subnet)
{
    m_fixedSubnet = subnet;
    if (m_selection)
        m_selection->setFixedSubnet(subnet);
}

void IpDialog::setSelectionMode(int mode)
{
    m_selectionMode = mode;
    if (m_selection)
        m_selection->setSelectionMode(mode);
}

IpDialog::~IpDialog() = default;

QString IpDialog::trackboxAddress() const
{
    return HostCheck::dotted(m_ip);
}

unsigned IpDialog::resolve(const QString &text)
{
    return text.isEmpty() ? 0 : Socket::resolve(text.toLatin1().constData());
}

void IpDialog::setSplash(const QPixmap &splash)
{
    m_splash = splash;
    update();
}

void IpDialog::paintEvent(QPaintEvent *event)
{
    if (!m_splash.isNull()) {
        QPainter painter(this);
        painter.drawPixmap(rect(), m_splash);
    }
    QDialog::paintEvent(event);
}

void IpDialog::setTrackboxAddress(const QString &address) { m_addressText = address; }
void IpDialog::setTrackboxModel(const QString &model) { m_model = model; }
void IpDialog::setCascadedSystem(bool cascaded) { m_cascaded = cascaded; }
void IpDialog::setTrackbox(const QString &hostName) { m_expectedHost = hostName; }
void IpDialog::setTrackboxPort(unsigned tbport) { m_port = (unsigned short)tbport; }
void IpDialog::setTrackboxSerial(const QString &serial) { m_serial = serial; }
void IpDialog::setTrackboxMac(const QString &tbmac) { m_mac = tbmac; }

void IpDialog::setTrackboxIp(unsigned tbip)
{
    m_ip = tbip;
    m_tryAddressFirst = false;
    // The selection dialog has already checked the password.
    if (try_connect() == 0)
        done(1);
}

QString IpDialog::progressText() const
{
    return ui->textEdit->toPlainText();
}

// A new line of plain text: host names and other texts from a Controller are
// never read as markup.
void IpDialog::appendText(const QString &text)
{
    QTextCursor cursor(ui->textEdit->document());
    cursor.movePosition(QTextCursor::End);
    if (!ui->textEdit->document()->isEmpty())
        cursor.insertBlock();
    cursor.insertText(text);
    ui->textEdit->moveCursor(QTextCursor::End);
    ui->textEdit->ensureCursorVisible();
    refresh();
}

void IpDialog::insertText(const QString &text)
{
    ui->textEdit->moveCursor(QTextCursor::End);
    ui->textEdit->insertPlainText(text);
    refresh();
}

// The checks run synchronously in the GUI thread: paint each step at once.
void IpDialog::refresh()
{
    ui->textEdit->moveCursor(QTextCursor::End);
    ui->textEdit->ensureCursorVisible();
    repaint();
}

// Time to read what the dialog says before it moves on. The window keeps
// painting and a stop request (SIGTERM at logout) is acted on meanwhile;
// clicks wait, as they did, until the check is over, and the application
// says so as it does while it waits for the Controller.
void IpDialog::pause()
{
    QCoreApplication *app = QCoreApplication::instance();
    const bool outermost = !app->property(CommandChannel::WaitingProperty).toBool();
    if (outermost)
        app->setProperty(CommandChannel::WaitingProperty, true);
    QEventLoop loop;
    QTimer::singleShot(PauseMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (outermost)
        app->setProperty(CommandChannel::WaitingProperty, false);
}

void IpDialog::runSelectionDialog()
{
    selectionDialog()->update_and_exec();
}

bool IpDialog::querySystemValue(Socket &socket, unsigned ip, const char *command, const char *prefix, QString *value)
{
    QByteArray text;
    const int r = UdpQuery::ask(socket, ip, m_port, command, ReplyWaitUs, &text);
    if (r == UdpQuery::SendFailed) {
        appendText(tr("udp send error, err %1 %2").arg(r).arg(ip));
        return false;
    }
    if (r != UdpQuery::Answered || !text.startsWith(prefix))
        return false;
    *value = QString::fromLatin1(text.mid(int(std::strlen(prefix))));
    return true;
}

bool IpDialog::queryHostName(Socket &socket, unsigned ip, QString *value)
{
    return querySystemValue(socket, ip, "quorix2 get system hostname", "quorix2 set system hostname ", value);
}

// Access details ("accessed by") exist from protocol 1.1 on.
bool IpDialog::protocolAllowsAccessedBy(const QString &value)
{
    const QStringList words = value.split(QLatin1Char(' '));
    if (words.size() < 5)
        return false;
    return ControllerVersion::parse(words[4]).isAtLeast(1, 1);
}

QString IpDialog::describeController(const QString &name, const QString &serial)
{
    return serial.isEmpty() ? name : tr("%1 (serial %2)").arg(name, serial);
}

// The Controller as the user named it: its host name, else its address.
QString IpDialog::namedController() const
{
    if (!m_expectedHost.isEmpty())
        return m_expectedHost;
    if (!m_addressText.isEmpty())
        return m_addressText;
    return m_ip ? HostCheck::dotted(m_ip) : QString();
}

void IpDialog::offerRetry()
{
    ui->pushButton_retry->show();
}

void IpDialog::on_pushButton_retry_clicked()
{
    ui->pushButton_retry->hide();
    ui->textEdit->clear();
    try_connect();
}

void IpDialog::showConnected(const QString &hostName)
{
    ui->pushButton_retry->hide();
    QFont small = ui->label_zeltrack->font();
    small.setPointSize(9);
    ui->label_zeltrack->setFont(small);
    ui->label_zeltrack->setText(tr("Controller"));
    small.setBold(true);
    ui->label_trackbox->setFont(small);
    ui->label_trackbox->setTextFormat(Qt::PlainText);   // the Controller's own name
    ui->label_trackbox->setText(hostName);
    QFont software = ui->label_software->font();
    software.setBold(true);
    ui->label_software->setFont(software);
    ui->pushButton_connect->setEnabled(true);
    ui->pushButton_connect->setFocus();
    ui->pushButton_connect->show();
    ui->pushButton_wol->hide();
}

int IpDialog::try_connect()
{
    Socket socket;
    const int opened = socket.openUdp(0, Socket::AllowBroadcast | Socket::BindAnyPort);
    if (opened != Socket::Ok) {
        appendText(tr("cannot start udp socket, error %1").arg(opened));
        pause();
        return -14;
    }
    appendText(QStringLiteral("\n \n \n \n \n \n \n \n"));

    if (m_tryAddressFirst) {
        unsigned failed = 0;
        unsigned candidate = resolve(m_addressText);
        QString name;
        // Another Controller answering at the remembered address.
        QString changedName;
        unsigned changedAt = 0;
        if (candidate) {
            appendText(tr("testing '%1'... ").arg(HostCheck::dotted(candidate)));
            if (queryHostName(socket, candidate, &name)) {
                // With no name remembered, the address is all the user named.
                if (name == m_expectedHost || m_expectedHost.isEmpty()) {
                    insertText(tr("OK"));
                } else {
                    changedName = name;
                    changedAt = candidate;
                    candidate = 0;
                }
            } else {
                insertText(tr("unsuccessful"));
                failed = candidate;
                candidate = 0;
            }
        }
        // No name remembered: nothing to resolve (and nothing to show as resolving).
        if (!candidate && !m_expectedHost.isEmpty()) {
            appendText(tr("resolving '%1'... ").arg(m_expectedHost));
            const unsigned resolved = resolve(m_expectedHost);
            if (resolved && resolved != failed) {
                insertText(tr("OK"));
                appendText(tr("resolved '%1', testing... ").arg(HostCheck::dotted(resolved)));
                if (queryHostName(socket, resolved, &name)) {
                    if (name != m_expectedHost) {
                        appendText(QStringLiteral(" "));
                        insertText(tr("\nController has changed"));
                        insertText(tr("\nexpected: '%1'").arg(m_expectedHost));
                        insertText(tr("\nfound: '%1'").arg(name));
                        socket.close();
                        pause();
                        runSelectionDialog();
                        return 1;
                    }
                    insertText(tr("OK"));
                    candidate = resolved;
                } else {
                    insertText(tr("unsuccessful"));
                }
            } else {
                insertText(tr("unsuccessful"));
                candidate = failed;
            }
        }
        if (!candidate && changedAt) {
            // Not a cabling fault: the Controller there now is another one.
            QString foundSerial;
            querySystemValue(socket, changedAt, "quorix2 get system controller_serial",
                             "quorix2 set system controller_serial ", &foundSerial);
            appendText(QString());
            insertText(tr("\nController has changed"));
            insertText(tr("\nexpected: '%1'").arg(describeController(m_expectedHost, m_serial)));
            insertText(tr("\nfound at %1: '%2'").arg(HostCheck::dotted(changedAt), describeController(changedName, foundSerial)));
            socket.close();
            pause();
            runSelectionDialog();
            return 1;
        }
        if (!candidate) {
            appendText(QString());
            insertText(tr("\nno default Controller found"));
            pause();
            candidate = failed;
        }
        m_ip = candidate;
    } else {
        appendText(tr("resolving '%1'").arg(m_expectedHost));
    }

    QString version;
    // Address 0 is no Controller: a datagram to it would reach this computer.
    if (!m_ip || !querySystemValue(socket, m_ip, "quorix2 get system version", "quorix2 set system version ", &version)) {
        const QString named = namedController();
        if (named.isEmpty()) {
            appendText(tr("\nNo Controller chosen yet: choose one with Other Controller."));
        } else {
            appendText(tr("\nno connection to"));
            appendText(tr("Controller '%1'").arg(named));
            appendText(tr("Check that the Controller is switched on and cabled, and that no firewall blocks TCP and "
                          "UDP port %1; then try again.")
                           .arg(m_port));
            offerRetry();
        }
        socket.close();
        pause();
        if (m_mac.isEmpty() && m_model != QLatin1String("21"))
            runSelectionDialog();
        return 1;
    }

    QString access;
    const bool accessRead = querySystemValue(socket, m_ip, "quorix2 get system access", "quorix2 set system access ", &access);
    if (accessRead && access != QLatin1String("none")) {
        QString reported;
        if (!queryHostName(socket, m_ip, &reported)) {
            insertText(tr("\nController has changed"));
            insertText(tr("\nexpected: '%1'").arg(m_expectedHost));
            insertText(tr("\nfound: '%1'").arg(QString()));
            socket.close();
            pause();
            runSelectionDialog();
            return -1;
        }
        QString serial;
        if (querySystemValue(socket, m_ip, "quorix2 get system controller_serial",
                             "quorix2 set system controller_serial ", &serial))
            m_serial = serial;
        else
            serial = tr("unknown");
        // From here on the dialog names the Controller that answered.
        m_expectedHost = reported;
        insertText(tr("\n\nController: '%1'").arg(reported));
        insertText(tr("\nSerial %1 Version %2 ").arg(serial, version.section(QLatin1Char(' '), 0, 0)));
        showConnected(reported);
        socket.close();
        if (m_acceptWhenConnected) {
            emit sig_connect_successful();
            accept();
        }
        return 0;
    }

    appendText(tr("\nno connection to"));
    appendText(tr("Controller '%1'").arg(namedController()));
    offerRetry();
    if (accessRead && access == QLatin1String("none")) {
        QString protocol;
        QString accessedBy;
        if (querySystemValue(socket, m_ip, "quorix2 get system protocol_version", "", &protocol)
            && protocolAllowsAccessedBy(protocol)
            && querySystemValue(socket, m_ip, "quorix2 get system accessed_by", "quorix2 set system accessed_by ",
                                &accessedBy)) {
            const QStringList words = accessedBy.split(QLatin1Char(' '));
            if (words.value(0) == QLatin1String("ip"))
                appendText(tr("accessed by %1").arg(words.value(1)));
        }
    }
    socket.close();
    pause();
    return 1;
}

int IpDialog::try_connect_2()
{
    Socket socket;
    if (socket.openUdp(0, Socket::AllowBroadcast | Socket::BindAnyPort) != Socket::Ok)
        return -1;
    if (m_addressText.isEmpty() && !m_expectedHost.isEmpty()) {
        m_ip = resolve(m_expectedHost);
        if (!m_ip)
            return -2;
        m_addressText = HostCheck::dotted(m_ip);
    }
    if (!m_ip) {
        m_ip = resolve(m_addressText);
        if (!m_ip)
            return -3;
    }
    QString name;
    if (!queryHostName(socket, m_ip, &name))
        return m_mac.isEmpty() ? -4 : 1;
    m_expectedHost = name;
    QString version;
    if (!querySystemValue(socket, m_ip, "quorix2 get system version", "quorix2 set system version ", &version))
        return -5;
    QString access;
    if (!querySystemValue(socket, m_ip, "quorix2 get system access", "quorix2 set system access ", &access))
        return -6;
    if (access != QLatin1String("full")) {
        QString accessedBy;
        const bool known = querySystemValue(socket, m_ip, "quorix2 get system accessed_by",
                                            "quorix2 set system accessed_by ", &accessedBy);
        socket.close();
        if (known) {
            const QString holder = TrackboxSelection::holderText(accessedBy);
            PlainTextBox::critical(this, tr("Error"),
                                   tr("Unable to connect Controller %1\nController is accessed by %2")
                                           .arg(m_expectedHost, holder)
                                       + QLatin1String("\n\n") + TrackboxSelection::heldAdvice(holder));
        } else {
            PlainTextBox::critical(this, tr("Error"), tr("Unable to connect Controller %1").arg(m_expectedHost));
        }
        // Not 1: a running Controller held by another front end is not one
        // to wake, nor to ask again every 15 s.
        m_heldShown = true;
        emit sig_connect_held();
        return 2;
    }
    socket.close();
    if (m_acceptWhenConnected) {
        emit sig_connect_successful();
        accept();
    }
    return 0;
}

int IpDialog::exec_connect()
{
    QFont software = ui->label_software->font();
    software.setBold(true);
    software.setPointSize(9);
    ui->label_software->setFont(software);
    raise();
    show();
    QTimer::singleShot(10, this, &IpDialog::try_connect);
    return exec();
}

void IpDialog::accept()
{
    // Nothing found, nothing to connect to: no query goes to address 0.
    if (!m_ip)
        return;
    if (PasswordGate::pass(m_ip, 0, m_startPassword, tr("Authorize with valid password"), this))
        done(1);
}

void IpDialog::reject()
{
    done(0);
}

void IpDialog::wakeOnLan(bool silentRetry)
{
    m_acceptWhenConnected = true;
    EndlessProgressDlg progress(m_expectedHost, m_addressText, m_ip, m_mac, this, m_cascaded);
    if (silentRetry)
        connect(&progress, &EndlessProgressDlg::try_to_connect, this, &IpDialog::try_connect_2);
    else
        connect(&progress, &EndlessProgressDlg::try_to_connect, this, &IpDialog::try_connect);
    connect(this, &IpDialog::sig_connect_successful, &progress, &EndlessProgressDlg::set_wake_successful);
    // Held is an answer too: the box has been shown once, the waiting ends.
    connect(this, &IpDialog::sig_connect_held, &progress, &EndlessProgressDlg::on_pushButton_cancel_clicked);
    m_wakeCancelled = false;
    progress.update_and_exec();
    m_wakeCancelled = progress.cancelled() && !m_heldShown;
}

void IpDialog::doWakeOnLan()
{
    wakeOnLan(true);
}

void IpDialog::on_pushButton_wol_clicked()
{
    wakeOnLan(false);
}

void IpDialog::on_pushButton_other_clicked()
{
    runSelectionDialog();
}

void IpDialog::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_2: move(pos() + QPoint(0, 10)); break;
    case Qt::Key_8: move(pos() + QPoint(0, -10)); break;
    case Qt::Key_4: move(pos() + QPoint(-10, 0)); break;
    case Qt::Key_6: move(pos() + QPoint(10, 0)); break;
    case Qt::Key_F5:
        // The Connect button's key: only when there is a Controller to connect to.
        if (ui->pushButton_connect->isEnabled())
            accept();
        break;
    case Qt::Key_Escape: reject(); break;
    default: break;
    }
}

void IpDialog::mousePressEvent(QMouseEvent *event)
{
    setToolTip(tr("Press 2, 4, 6 or 8 to move the window"));
    QDialog::mousePressEvent(event);
}
