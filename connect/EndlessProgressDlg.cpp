#include "EndlessProgressDlg.h"
#include "ui_EndlessProgressDlg.h"

#include "PlainTextBox.h"
#include "WakeOnLan.h"

#include <QFontMetrics>
#include <QHostAddress>
#include <QMessageBox>

EndlessProgressDlg::EndlessProgressDlg(QString hostName, QString addressText, unsigned ip, QString mac,
                                       QWidget *parent, bool cascadedSystem)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint),
      ui(std::make_unique<Ui::EndlessProgressDlgClass>()),
      m_hostName(hostName), m_addressText(addressText), m_ip(ip), m_mac(mac),
      m_cascaded(cascadedSystem), m_timer(this)
{
    ui->setupUi(this);
    setFixedSize(397, 133);

    const QFontMetrics metrics(ui->label_desc->font());
    const int room = ui->label_desc->width() - metrics.horizontalAdvance(QStringLiteral("..."));
    QString text = tr("wake on LAN: %1").arg(controllerName(hostName, addressText, ip));
    if (metrics.horizontalAdvance(text) > room) {
        // A long host name is cut, the address after it kept: it is what
        // tells two Controllers of similar names apart.
        const QString address = addressOf(hostName, addressText, ip);
        const QString tail = address.isEmpty() || hostName.isEmpty() || address == hostName ? QString() : QStringLiteral(" (%1)").arg(address);
        QString head = tail.isEmpty() ? text : tr("wake on LAN: %1").arg(hostName);
        while (!head.isEmpty() && metrics.horizontalAdvance(head + tail) > room)
            head.chop(1);
        text = head + QStringLiteral("...") + tail;
    }
    ui->label_desc->setText(text);

    m_timer.setInterval(RetryIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &EndlessProgressDlg::onTimer);
}

QString EndlessProgressDlg::addressOf(const QString &hostName, const QString &addressText, unsigned ip)
{
    if (ip != 0)
        return QHostAddress(quint32(ip)).toString();
    return addressText == hostName ? QString() : addressText;
}

QString EndlessProgressDlg::controllerName(const QString &hostName, const QString &addressText, unsigned ip)
{
    const QString address = addressOf(hostName, addressText, ip);
    if (hostName.isEmpty())
        return address.isEmpty() ? tr("the Controller") : address;
    if (address.isEmpty() || address == hostName)
        return hostName;
    return QStringLiteral("%1 (%2)").arg(hostName, address);
}

EndlessProgressDlg::~EndlessProgressDlg()
{
    m_timer.stop();
}

int EndlessProgressDlg::update_and_exec()
{
    if (m_cascaded)
        ui->label_canTakeTowMinutes->setText(tr("waking up can take 2-5 minutes"));
    if (!WakeOnLan::wake(m_mac, m_ip)) {
        PlainTextBox::warning(parentWidget(), tr("Wake On LAN"), tr("Cannot do wake on LAN for %1.").arg(controllerName(m_hostName, m_addressText, m_ip)));
        return 0;
    }
    m_ticks = 0;
    m_timer.start();
    return exec();
}

void EndlessProgressDlg::set_wake_successful()
{
    m_timer.stop();
    done(1);
}

void EndlessProgressDlg::onTimer()
{
    ++m_ticks;
    if (m_ticks < FinalTick) {
        // An attempt may open boxes or dialogs with event loops of their own;
        // no further tick may start a second attempt inside it.
        const bool waiting = m_timer.isActive();
        m_timer.stop();
        emit try_to_connect();
        if (waiting && isVisible())
            m_timer.start();
        return;
    }
    m_ticks = 0;
    m_timer.stop();
    done(1);
}

void EndlessProgressDlg::on_pushButton_cancel_clicked()
{
    m_cancelled = true;
    m_ticks = 0;
    m_timer.stop();
    done(0);
}

void EndlessProgressDlg::reject()
{
    // Escape and the window's close button cancel like the button does.
    on_pushButton_cancel_clicked();
}

void EndlessProgressDlg::done(int result)
{
    m_timer.stop();
    QDialog::done(result);
}
