#include "ServiceDialog.h"

#include "ControllerSerial.h"
#include "DocumentLink.h"
#include "IOManager.h"
#include "MakerContact.h"

#include "ui_ServiceDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QUrl>

namespace {

ServiceDialog::ExportRunner &exportRunner()
{
    static ServiceDialog::ExportRunner runner;
    return runner;
}

} // namespace

void ServiceDialog::setExportRunner(ExportRunner runner)
{
    exportRunner() = std::move(runner);
}

ServiceDialog::ServiceDialog(IOManager *channel, QWidget *parent, BackendVersions *versions)
    : QDialog(parent), ui(new Ui::ServiceDialogClass), m_channel(channel), m_versions(versions)
{
    ui->setupUi(this);
    const QString appDir = QCoreApplication::applicationDirPath();
    ui->label_installation_guide->setText(
        DocumentLink::anchor(appDir, QStringLiteral("doc/installation_guide.pdf"), tr("ZEL Hardware Installation Guide")));
    ui->label_users_guide->setText(
        DocumentLink::anchor(appDir, QStringLiteral("doc/users_guide.pdf"), tr("QUORIX4 User's Guide")));
    ui->label_programmers_guide->setText(
        DocumentLink::anchor(appDir, QStringLiteral("doc/programmers_guide.pdf"), tr("QUORIX4 Programmer's Guide")));
    for (QLabel *label : {ui->label_installation_guide, ui->label_users_guide, ui->label_programmers_guide})
        connect(label, &QLabel::linkActivated, this, &ServiceDialog::processLink);

    ui->label_email->setText(tr("E-mail: %1").arg(MakerContact::email()));
    ui->label_phone->setText(tr("Telephone: %1").arg(MakerContact::telephone()));
    ui->lineEdit_serviceid->setText(m_serviceId);

    if (!exportRunner()) {
        ui->pushButton_export->setEnabled(false);
        ui->pushButton_export->setToolTip(tr("The system-information export is not part of this build."));
    }

    connect(ui->pushButton_ok, &QPushButton::clicked, this, &ServiceDialog::on_pushButton_ok_clicked);
    connect(ui->pushButton_export, &QPushButton::clicked, this, &ServiceDialog::on_pushButton_export_clicked);
    connect(ui->pushButton_copy, &QPushButton::clicked, this, &ServiceDialog::on_pushButton_copy_clicked);
}

ServiceDialog::~ServiceDialog()
{
    delete ui;
}

void ServiceDialog::setLastFeUpdateDate(const QDateTime &date)
{
    m_lastFeUpdate = date;
}

void ServiceDialog::setVersionFeAndModules(const QString &text)
{
    m_versionFeAndModules = text;
}

QString ServiceDialog::serviceIdFor(int model, const QString &serial, bool syncCard0401)
{
    switch (model) {
    case 20: return QStringLiteral("KST2-") + serial;
    case 21: return QStringLiteral("KST3-") + serial;
    case 2: return QStringLiteral("BQCM-") + ControllerSerial::model2(serial);
    case 100: return serial.trimmed();
    default: return syncCard0401 ? serial : QStringLiteral("BQC-") + serial;
    }
}

// Every query here has its fallback: an unanswered one raises no box.
void ServiceDialog::quiet()
{
    m_channel->prepareNextCommand(false, -1, true);
}

bool ServiceDialog::hasSyncCard0401()
{
    int count = 0;
    quiet();
    if (m_channel->getInt(&count, "synccard number_of_synccards") != 0)
        count = 0;
    for (int i = 1; i <= qMin(count, MaxSyncCards); ++i) {
        char card[IOManager::BufferSize] = "";
        quiet();
        if (m_channel->getString(card, "synccard synccard d%02d", i) != 0)
            continue;
        if (QString::fromLatin1(card).section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty) == QLatin1String("0x0401"))
            return true;
    }
    return false;
}

QString ServiceDialog::queryServiceId()
{
    char serial[IOManager::BufferSize] = "";
    quiet();
    if (m_channel->getString(serial, "system controller_serial") != 0)
        qstrcpy(serial, "00000");
    int model = -1;
    quiet();
    if (m_channel->getInt(&model, "system model") != 0)
        model = -1;
    // Only the fallback depends on the sync cards; other models ask nothing more.
    const bool known = model == 2 || model == 20 || model == 21 || model == 100;
    return serviceIdFor(model, QString::fromLatin1(serial), !known && hasSyncCard0401());
}

void ServiceDialog::refresh()
{
    m_serviceId = queryServiceId();
    ui->lineEdit_serviceid->setText(m_serviceId);

    char version[IOManager::BufferSize] = "";
    quiet();
    if (m_channel->getString(version, "system version") != 0)
        version[0] = '\0';
    ui->lineEdit_version->setText(QString::fromLatin1(version));

    // The id comes from the Controller's serial: encoded, it cannot add query
    // fields or leave the support page.
    const QString support =
        MakerContact::supportPage() + QString::fromLatin1(QUrl::toPercentEncoding(m_serviceId));
    ui->label_technicalsupport->setText(
        QStringLiteral("<a href=\"%1\">%2</a>").arg(support.toHtmlEscaped(), support.toHtmlEscaped()));
    ui->label_technicalsupport->setTextFormat(Qt::RichText);
    ui->label_technicalsupport->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse
                                                        | Qt::LinksAccessibleByKeyboard);
    ui->label_technicalsupport->setOpenExternalLinks(true);
    adjustSize();
}

int ServiceDialog::update_and_exec()
{
    refresh();
    return exec();
}

QString ServiceDialog::clipboardText() const
{
    return QStringLiteral("%1: %2\n").arg(ui->label_serviceid->text(), ui->lineEdit_serviceid->text())
        + QStringLiteral("%1: %2\n").arg(ui->label_version->text(), ui->lineEdit_version->text());
}

void ServiceDialog::on_pushButton_ok_clicked()
{
    accept();
}

void ServiceDialog::on_pushButton_export_clicked()
{
    if (exportRunner())
        exportRunner()(this, m_channel, m_versions, m_lastFeUpdate, m_versionFeAndModules);
}

void ServiceDialog::on_pushButton_copy_clicked()
{
    QApplication::clipboard()->setText(clipboardText());
}

void ServiceDialog::processLink(const QString &link)
{
    DocumentLink::open(link, this);
}
