#include "ExportSystemInformation.h"

#include "ExportConfiguration.h"
#include "IOManager.h"

#include "ui_ExportSystemInformation.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStandardPaths>

ExportSystemInformation::ExportSystemInformation(QWidget *parent, IOManager *channel, const BackendVersions *versions)
    : QDialog(parent)
    , ui(new Ui::ExportSystemInformationClass)
    , m_channel(channel)
    , m_report(new ExportConfiguration(channel, this, versions))
    , m_logRoot(SystemInfoBundle::logRoot())
    , m_today(QDate::currentDate())
{
    ui->setupUi(this);
    ui->checkBox_recording->setVisible(false);   // until a recording is offered

    QTableWidget *t = ui->tableWidget;
    t->setColumnCount(ColumnCount);
    t->setHorizontalHeaderLabels({tr("File"), tr("Version"), tr("Size"), QStringLiteral("FilePathName"),
                                  QStringLiteral("SizeInByte"), QStringLiteral("DateFromName")});
    t->setColumnHidden(ColPath, true);
    t->setColumnHidden(ColBytes, true);
    t->setColumnHidden(ColDate, true);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::MultiSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->setVisible(false);
    t->horizontalHeader()->setSectionsClickable(false);
    t->horizontalHeader()->setStretchLastSection(true);

    // Page Up/Down step the days wherever the focus is; the table, the slider
    // and the spin box would otherwise take the keys for their own paging.
    for (QWidget *w : {static_cast<QWidget *>(t), static_cast<QWidget *>(ui->spinBox), static_cast<QWidget *>(ui->horizontalSlider)})
        w->installEventFilter(this);

    connect(ui->spinBox, qOverload<int>(&QSpinBox::valueChanged), this, &ExportSystemInformation::on_spinBox_valueChanged);
    connect(ui->horizontalSlider, &QSlider::valueChanged, this, &ExportSystemInformation::on_horizontalSlider_valueChanged);
    connect(t, &QTableWidget::itemSelectionChanged, this, &ExportSystemInformation::on_tableWidget_itemSelectionChanged);
    connect(ui->pushButton_selectAll, &QPushButton::clicked, this, &ExportSystemInformation::on_pushButton_selectAll_clicked);
    connect(ui->pushButton_clear, &QPushButton::clicked, this, &ExportSystemInformation::on_pushButton_clear_clicked);
    connect(ui->pushButton_save, &QPushButton::clicked, this, &ExportSystemInformation::on_pushButton_save_clicked);
    connect(ui->pushButton_exit, &QPushButton::clicked, this, &ExportSystemInformation::on_pushButton_exit_clicked);
}

ExportSystemInformation::~ExportSystemInformation()
{
    delete ui;
}

void ExportSystemInformation::setFrontendUpdateDate(const QDateTime &date)
{
    m_report->setFrontendUpdateDate(date);
}

void ExportSystemInformation::setRecordingSource(std::function<QByteArray()> source)
{
    m_recordingSource = std::move(source);
    ui->checkBox_recording->setVisible(bool(m_recordingSource));
}

void ExportSystemInformation::setFrontendVersion(const QString &text)
{
    m_report->setFrontendVersion(text);
}

QString ExportSystemInformation::controllerHostName()
{
    char host[IOManager::BufferSize];
    host[0] = '\0';
    m_channel->prepareNextCommand(false, -1, true);
    if (m_channel->getString(host, "system hostname") != 0)
        return QString();
    return QString::fromLatin1(host).trimmed();
}

void ExportSystemInformation::fill()
{
    m_today = QDate::currentDate();
    m_hostName = controllerHostName();
    m_logs = SystemInfoBundle::findLogs(m_logRoot, m_hostName, m_today);

    m_updating = true;
    QTableWidget *t = ui->tableWidget;
    t->clearSelection();
    t->setRowCount(0);
    t->setRowCount(m_logs.size());
    for (int row = 0; row < m_logs.size(); ++row) {
        const SystemInfoBundle::LogFile &f = m_logs.at(row);
        auto *version = new QTableWidgetItem(f.version);
        version->setTextAlignment(Qt::AlignCenter);
        auto *size = new QTableWidgetItem(tr("%1 Byte").arg(f.size));
        size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        t->setItem(row, ColFile, new QTableWidgetItem(f.name));
        t->setItem(row, ColVersion, version);
        t->setItem(row, ColSize, size);
        t->setItem(row, ColPath, new QTableWidgetItem(f.path));
        t->setItem(row, ColBytes, new QTableWidgetItem(QStringLiteral("%1").arg(f.size)));
        t->setItem(row, ColDate, new QTableWidgetItem(f.date.toString(QStringLiteral("yyyy-MM-dd"))));
    }

    int maximum = 10;
    for (const SystemInfoBundle::LogFile &f : qAsConst(m_logs))
        maximum = qMax(maximum, int(f.date.daysTo(m_today)) + 1);
    ui->spinBox->setRange(0, maximum);
    ui->horizontalSlider->setRange(0, maximum);
    m_updating = false;
    setDays(3);
    // setDays does nothing visible when the value was 3 already.
    selectDays(3);
}

int ExportSystemInformation::update_and_exec()
{
    ui->progressBar->reset();
    ui->label_status->clear();
    fill();
    return exec();
}

int ExportSystemInformation::daysValue() const
{
    return ui->spinBox->value();
}

int ExportSystemInformation::daysMaximum() const
{
    return ui->spinBox->maximum();
}

void ExportSystemInformation::setDays(int value)
{
    ui->spinBox->setValue(value);
}

void ExportSystemInformation::on_spinBox_valueChanged(int value)
{
    if (ui->horizontalSlider->value() != value)
        ui->horizontalSlider->setValue(value);
    if (!m_updating)
        selectDays(value);
}

void ExportSystemInformation::on_horizontalSlider_valueChanged(int value)
{
    if (ui->spinBox->value() != value)
        ui->spinBox->setValue(value);
}

void ExportSystemInformation::selectDays(int value)
{
    m_updating = true;
    QTableWidget *t = ui->tableWidget;
    t->clearSelection();
    if (value >= 1) {
        const QDate first = m_today.addDays(-(value - 1));
        for (int row = 0; row < m_logs.size(); ++row)
            if (m_logs.at(row).date >= first)
                t->selectRow(row);
        ui->pushButton_clear->setEnabled(true);
        ui->pushButton_selectAll->setEnabled(value < ui->spinBox->maximum());
    } else {
        t->setFocus();
        ui->pushButton_selectAll->setEnabled(true);
        ui->pushButton_clear->setEnabled(false);
    }
    m_updating = false;
    updateEstimate();
}

void ExportSystemInformation::on_tableWidget_itemSelectionChanged()
{
    if (m_updating)
        return;
    int days = 0;
    const QVector<SystemInfoBundle::LogFile> selected = selectedLogs();
    for (const SystemInfoBundle::LogFile &f : selected)
        days = qMax(days, qMax(1, int(f.date.daysTo(m_today))));
    days = qMin(days, ui->spinBox->maximum());
    m_updating = true;
    setDays(days);
    m_updating = false;
    ui->pushButton_clear->setEnabled(!selected.isEmpty());
    ui->pushButton_selectAll->setEnabled(selected.size() < m_logs.size());
    updateEstimate();
}

void ExportSystemInformation::on_pushButton_selectAll_clicked()
{
    setDays(ui->spinBox->maximum());
    ui->pushButton_selectAll->setEnabled(false);
    ui->pushButton_clear->setEnabled(true);
}

void ExportSystemInformation::on_pushButton_clear_clicked()
{
    m_updating = true;
    setDays(0);
    m_updating = false;
    selectDays(0);
}

void ExportSystemInformation::on_pushButton_exit_clicked()
{
    reject();
}

QVector<SystemInfoBundle::LogFile> ExportSystemInformation::selectedLogs() const
{
    QVector<SystemInfoBundle::LogFile> out;
    const QItemSelectionModel *selection = ui->tableWidget->selectionModel();
    for (int row = 0; row < m_logs.size(); ++row)
        if (selection->isRowSelected(row, QModelIndex()))
            out.append(m_logs.at(row));
    return out;
}

qint64 ExportSystemInformation::estimatedSize() const
{
    return SystemInfoBundle::estimate(selectedLogs());
}

void ExportSystemInformation::updateEstimate()
{
    ui->label_size->setText(tr("estimated size: %1").arg(SystemInfoBundle::sizeText(estimatedSize())));
}

QString ExportSystemInformation::proposedPath() const
{
    // Only a folder that is there: a desktop without a Desktop folder would
    // otherwise be offered one that cannot be written.
    QString folder = QDir::homePath();
    for (const auto location : {QStandardPaths::DesktopLocation, QStandardPaths::DocumentsLocation}) {
        const QString candidate = QStandardPaths::writableLocation(location);
        if (!candidate.isEmpty() && QDir(candidate).exists() && QDir::cleanPath(candidate) != QDir::cleanPath(QDir::homePath())) {
            folder = candidate;
            break;
        }
    }
    return folder + QStringLiteral("/QUORIX4_Systeminfo-%1.txt").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
}

void ExportSystemInformation::on_pushButton_save_clicked()
{
    ui->progressBar->reset();
    ui->label_status->clear();
    if (estimatedSize() > SystemInfoBundle::LargeBundle) {
        QMessageBox box(QMessageBox::Warning, tr("Warning"), tr("The resulting file is bigger than 10 MB!\nContinue?"),
                        QMessageBox::Ok | QMessageBox::Cancel, this);
        box.setDefaultButton(QMessageBox::Cancel);
        if (box.exec() != QMessageBox::Ok)
            return;
    }
    const QString proposed = proposedPath();
    QFileDialog dialog(this, windowTitle(), QFileInfo(proposed).absolutePath(), tr("Text files (*.txt)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDirectory(QFileInfo(proposed).absolutePath());
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().value(0).isEmpty())
        return;
    exportTo(dialog.selectedFiles().value(0));
}

bool ExportSystemInformation::exportTo(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    ui->progressBar->setRange(0, m_logs.size() + 2);
    ui->progressBar->setValue(0);
    ui->label_status->setText(tr("Writing file '%1' ...").arg(name));
    ui->pushButton_save->setEnabled(false);
    ui->progressBar->setValue(1);

    SystemInfoBundle bundle;
    const QVector<SystemInfoBundle::LogFile> logs = selectedLogs();
    const int maximum = ui->progressBar->maximum();
    bundle.setHealthLastHour(SystemInfoBundle::healthLastHour(m_logRoot, m_hostName, QDateTime::currentDateTime()));
    if (m_recordingSource && ui->checkBox_recording->isChecked())
        bundle.setRecording(m_recordingSource());
    const bool ok = bundle.write(path, *m_report, logs, [this, maximum](int step) {
        ui->progressBar->setValue(qMin(step, maximum));
    });

    // A bundle that could not be written is reported as such, never as complete.
    if (ok) {
        ui->progressBar->setValue(maximum);
        ui->label_status->setText(tr("Writing file '%1' ... complete.").arg(name));
    } else {
        ui->progressBar->reset();
        ui->label_status->setText(tr("Writing file '%1' ... failed.").arg(name));
    }
    ui->pushButton_save->setEnabled(true);
    if (!ok)
        QMessageBox::warning(this, windowTitle(), bundle.error());
    return ok;
}

void ExportSystemInformation::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    // The dialog's new width: the table's own is not laid out yet at this point.
    const int width = event->size().width();
    ui->tableWidget->setColumnWidth(ColFile, width / 2);
    ui->tableWidget->setColumnWidth(ColVersion, width / 5);
}

bool ExportSystemInformation::stepDays(int key)
{
    if (key == Qt::Key_PageUp)
        setDays(qMin(ui->spinBox->value() + 1, ui->spinBox->maximum()));
    else if (key == Qt::Key_PageDown)
        setDays(qMax(ui->spinBox->value() - 1, 0));
    else
        return false;
    return true;
}

void ExportSystemInformation::keyPressEvent(QKeyEvent *event)
{
    if (!stepDays(event->key()))
        QDialog::keyPressEvent(event);
}

bool ExportSystemInformation::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && stepDays(static_cast<QKeyEvent *>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}
