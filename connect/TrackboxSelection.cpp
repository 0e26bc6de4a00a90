#include "TrackboxSelection.h"
#include "ui_trackboxselection.h"

#include "HostCheck.h"
#include "LocalServiceControl.h"
#include "PasswordGate.h"
#include "TrackboxScanner.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

namespace {

const char ServiceListenerKey[] = "TrackboxSelection.Service.Status";
const int IconSize = 20;
// One pulse of the pending-state icon every 2 s: cos(v / 300) runs once
// around while v goes from 0 to 600 pi.
const double PulseEnd = 1884.9556;

QPixmap loadIcon(const char *path)
{
    const QPixmap p(QString::fromLatin1(path));
    return p.isNull() ? p : p.scaled(IconSize, IconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

TrackboxSelection::TrackboxSelection(QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TrackboxSelection>())
{
    ui->setupUi(this);
    setupTable();
    ui->txt_fixHostnameOrIp->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("([A-Z]|[a-z]|-|[.]|[0-9])*")), ui->txt_fixHostnameOrIp));

    m_red = loadIcon(":/images/icons/red.png");
    m_yellow = loadIcon(":/images/icons/yellow.png");
    m_green = loadIcon(":/images/icons/green.png");
    m_pulse.setStartValue(0.0);
    m_pulse.setEndValue(PulseEnd);
    m_pulse.setDuration(2000);
    m_pulse.setLoopCount(-1);
    connect(&m_pulse, &QVariantAnimation::valueChanged, this, &TrackboxSelection::onPulse);

    connect(ui->tableWidget->horizontalHeader(), &QHeaderView::sectionClicked, this, &TrackboxSelection::onHeaderClicked);
    connect(ui->cb_fixSubnet->lineEdit(), &QLineEdit::returnPressed, this, &TrackboxSelection::handle_trackboxtable_update);
    // A request that arrives while the dialog is hidden starts no search: a
    // scan pumps events, and one running behind the connect dialog would
    // still hold the lock when this dialog opens.
    connect(
        this, &TrackboxSelection::trackboxtable_update, this,
        [this] {
            if (isVisible())
                handle_trackboxtable_update();
        },
        Qt::QueuedConnection);
    connect(this, &TrackboxSelection::serviceControlsUpdate, this, &TrackboxSelection::handleServiceControlsUpdate,
            Qt::QueuedConnection);
    ui->tableWidget->viewport()->installEventFilter(this);
    ui->txt_fixHostnameOrIp->installEventFilter(this);

    LocalServiceControl *service = LocalServiceControl::instance();
    m_serviceInstalled = service->isInstalled();
    if (m_serviceInstalled) {
        ui->pushButton_StartService->setEnabled(true);
        // Runs in the watcher's thread: only hand the state over.
        service->connectStatusListener(ServiceListenerKey, [this](int state, int error) {
            emit serviceControlsUpdate(state, error);
        });
    } else {
        setStatusIcon(m_yellow);
        ui->pushButton_StartService->setText(tr("Start QUORIX"));
        ui->pushButton_StartService->setEnabled(false);
    }
}

TrackboxSelection::~TrackboxSelection()
{
    if (m_serviceInstalled)
        LocalServiceControl::instance()->disconnectStatusListener(ServiceListenerKey);
    m_pulse.stop();
    if (m_activeScanner) {
        // Destroyed from an event handled while a scan runs: the scan returns
        // without touching this object again.
        m_activeScanner->requestStop();
        m_updateLock.unlock();
    }
}

void TrackboxSelection::setupTable()
{
    QTableWidget *table = ui->tableWidget;
    table->setColumnCount(ColumnCount);
    table->setHorizontalHeaderLabels({tr("Name"), tr("Serial"), tr("Access"), tr("Version"), tr("IP numerical"),
                                      tr("IP"), tr("Port"), tr("Cascaded System"), tr("MAC")});
    for (int c : {ColIpNumerical, ColPort, ColCascaded, ColMac})
        table->setColumnHidden(c, true);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(20);
    QHeaderView *header = table->horizontalHeader();
    header->setStretchLastSection(true);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(m_sortColumn, m_sortOrder);
    header->setHighlightSections(false);
}

// Every column shown whole, without a scroll bar: longer texts (German, a
// Controller held by another front end, a cascade column) widen the dialog
// as far as the screen allows, rather than squeeze the last column.
void TrackboxSelection::fitColumns()
{
    QTableWidget *table = ui->tableWidget;
    QHeaderView *header = table->horizontalHeader();
    // Measured with every column at its content's width; the last one then
    // takes what is left over.
    header->setStretchLastSection(false);
    table->resizeColumnsToContents();
    table->setColumnWidth(ColName, table->columnWidth(ColName) + 10);
    int needed = 0;
    for (int c = 0; c < ColumnCount; ++c)
        if (!table->isColumnHidden(c))
            needed += header->sectionSize(c);
    header->setStretchLastSection(true);
    const int missing = needed - table->viewport()->width();
    if (missing <= 0 || !isVisible())
        return;
    const int room = screen() ? screen()->availableGeometry().width() : width() + missing;
    const int wider = std::min(width() + missing + 8, room);
    // Where the screen is too narrow even so, the widest column gives way
    // (its texts end in "...").
    const int overflow = missing + 8 - (wider - width());
    resize(wider, height());
    if (overflow <= 0)
        return;
    int widest = ColName;
    for (int c = 0; c < ColumnCount; ++c)
        if (!table->isColumnHidden(c) && header->sectionSize(c) > header->sectionSize(widest))
            widest = c;
    table->setColumnWidth(widest, std::max(header->sectionSizeHint(widest), header->sectionSize(widest) - overflow));
}

QString TrackboxSelection::fixedHostOrIp() const
{
    return ui->txt_fixHostnameOrIp->text();
}

void TrackboxSelection::setFixedHostOrIp(const QString &text)
{
    ui->txt_fixHostnameOrIp->setText(text);
}

QString TrackboxSelection::fixedSubnet() const
{
    return ui->cb_fixSubnet->currentData().toString();
}

void TrackboxSelection::setFixedSubnet(const QString &subnet)
{
    // Without the list the first entry would not be "(all subnets)".
    if (ui->cb_fixSubnet->count() == 0)
        fillSubnetList();
    const QSignalBlocker quiet(isVisible() ? nullptr : ui->cb_fixSubnet);
    selectSubnet(subnet);
}

int TrackboxSelection::selectionMode() const
{
    if (ui->rb_specificBqc->isChecked())
        return ModeHost;
    if (ui->rb_ConnectLocalService->isChecked())
        return ModeLocal;
    return ModeSubnet;
}

void TrackboxSelection::setSelectionMode(int mode)
{
    QRadioButton *button = mode == ModeHost ? ui->rb_specificBqc
                         : mode == ModeLocal ? ui->rb_ConnectLocalService
                                             : ui->rb_scan;
    // Preferences are applied before the dialog opens: that is no reason to search.
    const QSignalBlocker quiet(isVisible() ? nullptr : button);
    button->setChecked(true);
}

int TrackboxSelection::update_and_exec()
{
    ui->txt_fixHostnameOrIp->clear();
    ui->txt_fixHostnameOrIp->setModified(false);
    showError(QString());
    ui->tableWidget->clearContents();
    ui->tableWidget->setRowCount(0);
    ui->pushButton_update->setFocus();
    if (ui->cb_fixSubnet->count() == 0)
        fillSubnetList();
    if (LocalServiceControl::instance()->currentState() == LocalServiceControl::Running)
        ui->rb_ConnectLocalService->setChecked(true);
    emit trackboxtable_update();
    on_tableWidget_itemSelectionChanged();
    return exec();
}

void TrackboxSelection::done(int result)
{
    if (m_activeScanner)
        m_activeScanner->requestStop();
    QDialog::done(result);
}

void TrackboxSelection::fillSubnetList()
{
    QComboBox *box = ui->cb_fixSubnet;
    const QString remembered = box->currentText();
    box->clear();
    const QString all = tr("(all subnets)");
    box->addItem(all, all);
    const QList<QNetworkAddressEntry> entries = TrackboxScanner::usableAddressEntries(false);
    for (const QNetworkAddressEntry &e : entries) {
        const QString text = e.broadcast().toString();
        if (box->findData(text, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
            box->addItem(text, text);
    }
    const int index = box->findText(remembered, Qt::MatchExactly | Qt::MatchCaseSensitive);
    box->setCurrentIndex(index >= 0 ? index : 0);
}

void TrackboxSelection::selectSubnet(const QString &text)
{
    QComboBox *box = ui->cb_fixSubnet;
    for (int i = 1; i < box->count(); ++i) {
        if (box->itemData(i).toString() == text) {
            box->setCurrentIndex(i);
            return;
        }
    }
    unsigned ip = 0;
    if (HostCheck::parseDotted(text, &ip)) {
        const QString address = text.simplified();
        box->addItem(address, address);
        box->setCurrentIndex(box->count() - 1);
        return;
    }
    box->setCurrentIndex(0);
}

void TrackboxSelection::showError(const QString &text)
{
    if (text.isEmpty())
        ui->label_errorMessage->clear();
    else if (ui->label_errorMessage->text().isEmpty())
        ui->label_errorMessage->setText(text);
}

QList<TrackboxRecord> TrackboxSelection::probeHost(const QString &host)
{
    QString error;
    const unsigned ip = HostCheck::check(host, &error);
    if (ip == 0) {
        if (ui->txt_fixHostnameOrIp->isModified())
            showError(error);
        m_messages << tr("cannot resolve hostname / IP address");
        ui->txt_fixHostnameOrIp->setFocus();
        return {};
    }
    TrackboxRecord record;
    if (!TrackboxScanner::probe(ip, ControllerPort, &record, &m_messages))
        return {};
    return {record};
}

int TrackboxSelection::handle_trackboxtable_update()
{
    if (!m_updateLock.tryLock())
        return -1;   // the search in progress wins
    m_messages.clear();

    const int mode = selectionMode();
    QList<TrackboxRecord> found;
    auto scan = [this](unsigned address, bool localOnly, bool *alive) {
        QPointer<TrackboxSelection> self(this);
        TrackboxScanner scanner(ControllerPort);
        m_activeScanner = &scanner;
        const QList<TrackboxRecord> records = scanner.scan(address, localOnly);
        *alive = !self.isNull();
        if (*alive)
            m_activeScanner = nullptr;
        return records;
    };
    bool alive = true;
    if (mode == ModeSubnet) {
        const QString text = ui->cb_fixSubnet->currentText();
        unsigned address = 0;
        if (!text.isEmpty() && !HostCheck::parseDotted(text, &address))
            address = 0;   // "(all subnets)" and anything unreadable
        found = scan(address, false, &alive);
    } else if (mode == ModeLocal) {
        const int state = LocalServiceControl::instance()->currentState();
        if (state == LocalServiceControl::StartPending) {
            m_messages << tr("local QUORIX4 instance starting up...");
        } else if (state != LocalServiceControl::Running) {
            m_messages << tr("no local QUORIX4 instance running");
        } else {
            found = scan(0, true, &alive);
            if (alive && found.isEmpty())
                m_messages << tr("local QUORIX4 instance not responding");
        }
    } else if (ui->txt_fixHostnameOrIp->text().isEmpty() && !ui->txt_fixHostnameOrIp->isModified()) {
        // Nothing typed yet: nothing to search, and nothing to complain about.
        m_messages.clear();
        showMessages();
        m_updateLock.unlock();
        return 0;
    } else {
        found = probeHost(ui->txt_fixHostnameOrIp->text());
    }
    if (!alive)
        return -1;   // the dialog, and its lock, are gone

    if (found.isEmpty() && m_messages.isEmpty()) {
        m_messages << tr("no controller found")
                   << tr("possibly blocked by the firewall (TCP and UDP port %1)").arg(ControllerPort);
        if (mode == ModeSubnet)
            m_messages << tr("or no controller in subnet");
    }
    int result = 0;
    if (!m_messages.isEmpty()) {
        showMessages();
        if (mode == ModeSubnet)
            ui->pushButton_update->setFocus();
    } else {
        result = showRecords(found);
    }
    m_updateLock.unlock();
    return result;
}

void TrackboxSelection::showMessages()
{
    QTableWidget *table = ui->tableWidget;
    m_messageMode = true;
    table->clearContents();
    table->setRowCount(m_messages.size());
    // A message is read, never chosen: it cannot be selected like a Controller.
    for (int row = 0; row < m_messages.size(); ++row) {
        for (int c = ColName; c < ColumnCount; ++c) {
            auto *item = new QTableWidgetItem(c == ColName ? m_messages[row] : QString());
            item->setFlags(Qt::ItemIsEnabled);
            table->setItem(row, c, item);
        }
    }
    table->setCurrentItem(nullptr);
    table->setColumnHidden(ColCascaded, true);
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    ui->pushButton_connect->setEnabled(false);
}

int TrackboxSelection::showRecords(const QList<TrackboxRecord> &records)
{
    QTableWidget *table = ui->tableWidget;
    m_messageMode = false;
    table->clearContents();
    table->setRowCount(records.size());
    const QColor disabledText = palette().color(QPalette::Disabled, QPalette::Text);
    bool anySlave = false;
    int connectable = 0;
    for (int row = 0; row < records.size(); ++row) {
        const TrackboxRecord &r = records[row];
        const QString access = TrackboxRecord::field(r.access);
        const QStringList cells = {TrackboxRecord::field(r.hostName), TrackboxRecord::field(r.serial),
                                   accessText(access, TrackboxRecord::field(r.accessedBy)),
                                   TrackboxRecord::field(r.version), QString::number(r.ip),
                                   TrackboxRecord::field(r.ipText), QString::number(ControllerPort), QString(),
                                   TrackboxRecord::field(r.mac)};
        const bool held = access.trimmed() == QLatin1String("none");
        for (int c = 0; c < ColumnCount; ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            if (held)
                item->setForeground(disabledText);
            table->setItem(row, c, item);
        }
        table->item(row, ColAccess)->setData(AccessRole, access);
        if (held)
            table->item(row, ColAccess)->setToolTip(heldAdvice(holderText(TrackboxRecord::field(r.accessedBy))));
        if (held && r.cascadedSlave) {
            table->item(row, ColCascaded)->setText(tr("slave"));
            anySlave = true;
        }
        if (!held)
            ++connectable;
    }
    table->setColumnHidden(ColCascaded, !anySlave);
    fitColumns();
    sortTable();
    table->clearSelection();
    table->setCurrentItem(nullptr);
    const QBrush base = palette().base();
    for (int row = 0; row < table->rowCount(); ++row)
        for (int c = 0; c < ColumnCount; ++c)
            table->item(row, c)->setBackground(base);
    ui->pushButton_connect->setEnabled(false);
    // The keyboard starts in the list: arrows choose, Return connects, Tab
    // goes on to the buttons.
    if (table->rowCount() > 0)
        table->setFocus();
    else
        ui->pushButton_update->setFocus();
    {
        // The search for this text has just run: selecting it again is no new request.
        const QSignalBlocker quiet(ui->cb_fixSubnet);
        selectSubnet(ui->cb_fixSubnet->currentText());
    }

    if (table->rowCount() == 1 && rawAccess(table->item(0, ColAccess)) == QLatin1String("full")) {
        table->selectRow(0);
        table->setCurrentCell(0, ColName);
        ui->pushButton_connect->setEnabled(true);
        ui->pushButton_connect->setFocus();
    }
    return connectable;
}

QString TrackboxSelection::accessText(const QString &access, const QString &accessedBy)
{
    const QString level = access.trimmed();
    if (level == QLatin1String("full"))
        return tr("full");
    if (level != QLatin1String("none"))
        return access;
    const QString holder = holderText(accessedBy);
    return holder.isEmpty() ? tr("none") : tr("in use by %1").arg(holder);
}

QString TrackboxSelection::heldAdvice(const QString &holder)
{
    // The Controller serves one front end at a time and cannot be taken
    // from it: its user has to let it go.
    if (holder.isEmpty())
        return tr("Another front end has full access to it. Ask its user to disconnect or close it, "
                  "then search again (Update) and connect.");
    return tr("The front end on %1 has full access to it. Ask the user of %1 to disconnect or close "
              "that front end, then search again (Update) and connect.")
        .arg(holder);
}

QString TrackboxSelection::holderText(const QString &accessedBy)
{
    // "ip ADDRESS" is the Controller's way of naming the other front end;
    // the user needs the address, not the protocol's word.
    const QStringList words = accessedBy.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() == 2 && words[0] == QLatin1String("ip"))
        return words[1];
    return words.join(QLatin1Char(' '));
}

QString TrackboxSelection::rawAccess(const QTableWidgetItem *item)
{
    return item ? item->data(AccessRole).toString() : QString();
}

void TrackboxSelection::sortTable()
{
    ui->tableWidget->sortItems(m_sortColumn, m_sortOrder);
    ui->tableWidget->horizontalHeader()->setSortIndicator(m_sortColumn, m_sortOrder);
}

void TrackboxSelection::onHeaderClicked(int column)
{
    if (column != m_sortColumn) {
        m_sortColumn = column;
        m_sortOrder = Qt::AscendingOrder;
    } else {
        m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    }
    sortTable();
}

void TrackboxSelection::on_tableWidget_itemSelectionChanged()
{
    const int row = ui->tableWidget->currentRow();
    bool enable = false;
    QString why;
    if (row >= 0 && !m_messageMode) {
        const QString access = rawAccess(ui->tableWidget->item(row, ColAccess));
        enable = !access.isEmpty() && access != QLatin1String("none");
        if (access.trimmed() == QLatin1String("none"))
            why = tr("Another front end holds %1 (%2).")
                      .arg(ui->tableWidget->item(row, ColName)->text(), ui->tableWidget->item(row, ColAccess)->text())
                + QLatin1Char(' ') + ui->tableWidget->item(row, ColAccess)->toolTip();
    }
    ui->pushButton_connect->setEnabled(enable);
    ui->pushButton_connect->setToolTip(why);
}

void TrackboxSelection::on_pushButton_exit_clicked()
{
    reject();
}

void TrackboxSelection::on_pushButton_connect_clicked()
{
    const int row = ui->tableWidget->currentRow();
    if (m_messageMode || row < 0)
        return;
    connectRow(row);
}

void TrackboxSelection::on_tableWidget_doubleClicked(const QModelIndex &index)
{
    if (m_messageMode || !index.isValid())
        return;
    if (rawAccess(ui->tableWidget->item(index.row(), ColAccess)).trimmed() == QLatin1String("none"))
        return;
    connectRow(index.row());
}

void TrackboxSelection::connectRow(int row)
{
    const QTableWidget *table = ui->tableWidget;
    m_chosenHost = table->item(row, ColName)->text();
    m_chosenIp = table->item(row, ColIpNumerical)->text().toUInt();
    m_chosenPort = (unsigned short)table->item(row, ColPort)->text().toUInt();
    m_chosenSerial = table->item(row, ColSerial)->text();
    m_chosenMac = table->item(row, ColMac)->text();

    if (!PasswordGate::pass(m_chosenIp, 0, QByteArray(), tr("Authorize with valid password"), this))
        return;
    emit trackbox_changed(m_chosenHost);
    emit trackbox_changed_port(m_chosenPort);
    emit trackbox_changed_ip(m_chosenIp);
    emit trackbox_changed_serial(m_chosenSerial);
    emit trackbox_changed_mac(m_chosenMac);
    done(1);
}

void TrackboxSelection::on_pushButton_update_clicked()
{
    if (selectionMode() == ModeHost)
        ui->txt_fixHostnameOrIp->setModified(true);
    showError(QString());
    emit trackboxtable_update();
}

void TrackboxSelection::on_rb_specificBqc_toggled(bool checked)
{
    showError(QString());
    if (!checked)
        return;
    ui->txt_fixHostnameOrIp->setModified(false);
    handle_trackboxtable_update();
    ui->txt_fixHostnameOrIp->setModified(true);
    ui->txt_fixHostnameOrIp->setFocus();
}

void TrackboxSelection::on_rb_ConnectLocalService_toggled(bool checked)
{
    showError(QString());
    if (checked)
        emit trackboxtable_update();
}

void TrackboxSelection::on_rb_scan_toggled(bool checked)
{
    showError(QString());
    if (checked)
        emit trackboxtable_update();
}

void TrackboxSelection::on_txt_fixHostnameOrIp_textChanged(const QString &)
{
    showError(QString());
}

void TrackboxSelection::on_txt_fixHostnameOrIp_returnPressed()
{
    if (selectionMode() != ModeHost)
        return;
    showError(QString());
    ui->pushButton_update->setFocus();
    // Enter searches for what was typed, as Update does.
    ui->txt_fixHostnameOrIp->setModified(true);
    emit trackboxtable_update();
}

void TrackboxSelection::on_cb_fixSubnet_currentIndexChanged(int)
{
    if (selectionMode() == ModeSubnet)
        emit trackboxtable_update();
}

bool TrackboxSelection::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the host field is the field's own: the dialog must not pass it
    // on to its default button (Connect) as well.
    if (watched == ui->txt_fixHostnameOrIp && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            on_txt_fixHostnameOrIp_returnPressed();
            return true;
        }
    }
    if (watched == ui->tableWidget->viewport() && event->type() == QEvent::MouseButtonRelease
        && ui->tableWidget->currentRow() < 0) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!ui->tableWidget->itemAt(mouse->pos()))
            emit trackboxtable_update();
    }
    return QDialog::eventFilter(watched, event);
}

void TrackboxSelection::on_pushButton_StartService_clicked()
{
    // A service that is not installed reports no state, so nothing happens.
    LocalServiceControl *service = LocalServiceControl::instance();
    const int state = service->currentState();
    if (state == LocalServiceControl::Stopped)
        service->startLocalService();
    else if (state == LocalServiceControl::Running)
        service->stopLocalService();
}

void TrackboxSelection::handleServiceControlsUpdate(int state, int error)
{
    ui->label_statusService->setToolTip(QString());
    showError(QString());
    QPushButton *button = ui->pushButton_StartService;
    // Only the pending states pulse; otherwise the pulse would paint over the new icon.
    if (state != LocalServiceControl::StartPending && state != LocalServiceControl::StopPending)
        m_pulse.stop();
    switch (state) {
    case LocalServiceControl::Running:
        ui->label_statusService->setText(tr("running"));
        setStatusIcon(m_green);
        button->setText(tr("Stop QUORIX"));
        button->setEnabled(true);
        requestSearchIfShown();
        break;
    case LocalServiceControl::Stopped:
        if (error == 0) {
            ui->label_statusService->setText(tr("stopped"));
            setStatusIcon(m_yellow);
        } else {
            ui->label_statusService->setText(tr("stopped with error"));
            ui->label_statusService->setToolTip(tr("Stopped with error %1").arg(error));
            setStatusIcon(m_red);
        }
        button->setText(tr("Start QUORIX"));
        button->setEnabled(true);
        requestSearchIfShown();
        break;
    case LocalServiceControl::StartPending:
        ui->label_statusService->setText(tr("starting..."));
        button->setText(tr("Stop QUORIX"));
        button->setEnabled(false);
        m_pulse.start();
        break;
    case LocalServiceControl::StopPending:
        ui->label_statusService->setText(tr("stopping..."));
        button->setText(tr("Start QUORIX"));
        button->setEnabled(false);
        m_pulse.start();
        break;
    case LocalServiceControl::Removed:
        ui->label_statusService->setText(tr("not installed"));
        setStatusIcon(m_yellow);
        button->setText(tr("Start QUORIX"));
        button->setEnabled(false);
        showError(tr("QUORIX-Service was removed. Maybe someone is updating the software."));
        break;
    default:
        ui->label_statusService->setText(tr("error"));
        setStatusIcon(m_red);
        showError(tr("Unknown error occured while starting or stopping QUORIX."));
        break;
    }
}

// The watcher reports from the start, while the connect dialog still hides
// this one: a search nobody sees would only hold up the start.
void TrackboxSelection::requestSearchIfShown()
{
    if (isVisible())
        emit trackboxtable_update();
}

void TrackboxSelection::setStatusIcon(const QPixmap &icon)
{
    ui->label_statusServiceIcon->setPixmap(icon);
}

void TrackboxSelection::onPulse(const QVariant &value)
{
    if (m_yellow.isNull())
        return;
    const double scale = (std::cos(value.toDouble() / 300.0) + 1.0) * 0.5 * 0.25 + 0.75;
    setStatusIcon(m_yellow.scaled(m_yellow.size() * scale, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}
