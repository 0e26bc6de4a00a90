#include "AboutDlg2g.h"

#include "BackendVersions.h"
#include "ControllerSerial.h"
#include "DocumentLink.h"
#include "IOManager.h"
#include "MakerContact.h"
#include "Version.h"

#include "ui_AboutDlg2g.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>

namespace {

constexpr int RowHeight = 28;

QTableWidgetItem *item(const QString &text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *cell = new QTableWidgetItem(text);
    cell->setTextAlignment(int(alignment));
    return cell;
}

void setReadOnly(QTableWidget *table, int firstColumnWidth)
{
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setColumnWidth(0, firstColumnWidth);
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setSectionsClickable(false);
    table->verticalHeader()->setVisible(false);
    table->verticalHeader()->setDefaultSectionSize(RowHeight);
}

QString text(const char *reply)
{
    return QString::fromLatin1(reply);
}

} // namespace

AboutDlg2g::AboutDlg2g(IOManager *channel, QWidget *parent, BackendVersions *versions, bool darkTheme)
    : QDialog(parent), ui(new Ui::AboutDlg2gClass), m_channel(channel), m_versions(versions)
{
    ui->setupUi(this);
    m_logo = darkTheme ? QStringLiteral(":/images/logos/zel_transparent02.png")
                       : QStringLiteral(":/images/logos/zel_transparent02-brightmode.png");
    ui->label_logo->setPixmap(QPixmap(m_logo));

    ui->label_opensource->setText(tr("This product uses third-party %1")
                                      .arg(DocumentLink::anchor(QCoreApplication::applicationDirPath(),
                                                                QStringLiteral("license/ZEL_OSD.pdf"),
                                                                tr("Open-Source software"))));
    ui->label_opensource->setTextFormat(Qt::RichText);
    ui->label_opensource->setOpenExternalLinks(false);
    connect(ui->label_opensource, &QLabel::linkActivated, this, &AboutDlg2g::processLink);

    QTableWidget *plugins = ui->tableWidget_plugins;
    plugins->setColumnCount(2);
    plugins->setHorizontalHeaderLabels({tr("Module"), tr("Version")});
    setReadOnly(plugins, 220);

    ui->tabWidget_details->hide();
    connect(ui->pushButton_ok, &QPushButton::clicked, this, &AboutDlg2g::on_pushButton_ok_clicked);
    connect(ui->pushButton_details, &QPushButton::clicked, this, &AboutDlg2g::on_pushButton_details_clicked);
}

AboutDlg2g::~AboutDlg2g()
{
    delete ui;
}

QString AboutDlg2g::frontendVersionText(const QString &suffix)
{
    const QString pattern = suffix.isEmpty() ? QStringLiteral("v%1.%2.%3%4 %5") : QStringLiteral("v%1.%2.%3-%4 %5");
    return pattern.arg(QuorixVersion::Major)
        .arg(QuorixVersion::Minor)
        .arg(QuorixVersion::Patch)
        .arg(suffix, QString::fromLatin1(QuorixVersion::ReleaseDate));
}

void AboutDlg2g::setModuleList(const ModuleList &modules)
{
    m_modules = modules;
}

bool AboutDlg2g::detailsVisible() const
{
    return !ui->tabWidget_details->isHidden();
}

int AboutDlg2g::update_and_exec()
{
    refresh();
    return exec();
}

void AboutDlg2g::refresh()
{
    ui->label_quorix2->setText(tr("QUORIX4 frontend (on this PC):\n") + frontendVersionText());

    char version[IOManager::BufferSize] = "unknown";
    char host[IOManager::BufferSize] = "unknown";
    char serial[IOManager::BufferSize] = "-1";
    char model[IOManager::BufferSize] = "0";
    if (m_channel->getString(version, "system version") != 0)
        qstrcpy(version, "unknown");
    if (m_channel->getString(host, "system hostname") != 0)
        qstrcpy(host, "unknown");
    if (m_channel->getString(serial, "system controller_serial") != 0)
        qstrcpy(serial, "-1");
    if (m_channel->getString(model, "system model") != 0)
        qstrcpy(model, "0");
    QString serialText = text(serial);
    if (qstrcmp(model, "2") == 0)
        serialText = ControllerSerial::model2(serialText);

    ui->label_controller->setText(tr("Firmware release (Controller):\n")
                                  + tr("%1 serial %2\n").arg(text(host), serialText) + text(version));

    char copyright[IOManager::BufferSize] = "";
    if (m_channel->getString(copyright, "system version_copyright") != 0)
        copyright[0] = '\0';
    const QString zel = text(copyright).remove(QLatin1Char('"')).trimmed();
    ui->label_zel->setText(zel.isEmpty() ? MakerContact::webAddress() : zel + QLatin1Char('\n') + MakerContact::webAddress());

    fillModules();
    buildCascadeTab();
    ui->pushButton_ok->setFocus();
}

void AboutDlg2g::fillModules()
{
    QTableWidget *plugins = ui->tableWidget_plugins;
    plugins->setSortingEnabled(false);
    plugins->setRowCount(0);
    for (const auto &module : qAsConst(m_modules)) {
        const int row = plugins->rowCount();
        plugins->insertRow(row);
        plugins->setItem(row, 0, item(module.first));
        plugins->setItem(row, 1, item(module.second, Qt::AlignCenter));
    }
    plugins->sortItems(0, Qt::AscendingOrder);
}

void AboutDlg2g::buildCascadeTab()
{
    while (ui->tabWidget_details->count() > 1) {
        QWidget *page = ui->tabWidget_details->widget(1);
        ui->tabWidget_details->removeTab(1);
        delete page;
    }
    if (!m_versions || !m_versions->protocol.isAtLeast(1, 7))
        return;
    int slaves = 0;
    if (m_channel->getInt(&slaves, "cascade number_of_connected_slaves") != 0 || slaves < 1)
        return;

    auto *table = new QTableWidget(0, 3);
    table->setObjectName(QStringLiteral("tableWidget_cascade"));
    table->setHorizontalHeaderLabels({tr("Cascaded System slave"), tr("Serial"), tr("Version")});
    setReadOnly(table, 170);
    ui->tabWidget_details->addTab(table, tr("&Cascade"));

    for (int i = 1; i <= slaves; ++i) {
        char id[IOManager::BufferSize] = "";
        if (m_channel->getString(id, "cascade connected_slave d%02d", i) != 0)
            continue;
        QString serial;
        char controller[IOManager::BufferSize] = "";
        if (m_channel->getString(controller, "cascade connected_slave_controller %s", id) == 0)
            serial = text(controller).split(QLatin1Char(' '), Qt::SkipEmptyParts).value(1);
        char host[IOManager::BufferSize] = "";
        if (m_channel->getString(host, "system hostname_slave %s", id) != 0)
            host[0] = '\0';
        QString version;
        bool available = false;
        char slaveVersion[IOManager::BufferSize] = "";
        if (m_channel->getBool(&available, "cascade connected_slave_available %s", id) == 0 && available
            && m_channel->getString(slaveVersion, "system version_slave %s", id) == 0)
            version = text(slaveVersion);

        table->insertRow(0);
        table->setItem(0, 0, item(text(host)));
        table->setItem(0, 1, item(serial, Qt::AlignCenter));
        table->setItem(0, 2, item(version));
    }
    table->sortItems(0, Qt::AscendingOrder);
}

void AboutDlg2g::on_pushButton_ok_clicked()
{
    accept();
}

void AboutDlg2g::on_pushButton_details_clicked()
{
    const bool show = ui->tabWidget_details->isHidden();
    ui->tabWidget_details->setVisible(show);
    ui->pushButton_details->setText(show ? tr("Hide &details") : tr("Show &details"));
    ui->pushButton_ok->setFocus();
}

void AboutDlg2g::processLink(const QString &link)
{
    DocumentLink::open(link, this);
}

void AboutDlg2g::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        on_pushButton_details_clicked();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
