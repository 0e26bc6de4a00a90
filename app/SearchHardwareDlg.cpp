#include "SearchHardwareDlg.h"

#include "ui_SearchHardwareDlg.h"

#include <QApplication>
#include <QTimer>

namespace {

constexpr int BaseBudgetS = 15;
constexpr int CascadeBudgetS = 30;
constexpr int WakeSlavesBudgetS = 45;
constexpr int CollectAfterMs = 1000;
constexpr int AutoStartMs = 100;

} // namespace

SearchHardwareDlg::SearchHardwareDlg(QWidget *parent, IOManager *channel, const QString &mode)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint),
      ui(new Ui::SearchHardwareDlgClass), m_channel(channel), m_mode(mode), m_budgetS(BaseBudgetS), m_timer(new QTimer(this))
{
    ui->setupUi(this);
    const bool dark = palette().color(QPalette::Window).lightnessF() < 0.5;
    ui->label_icon->setPixmap(QPixmap(dark ? QStringLiteral(":/images/qmessagebox-info.png")
                                           : QStringLiteral(":/images/qmessagebox-info-brightmode.png")));

    int slaves = 0;
    if (m_channel->getInt(&slaves, "cascade number_of_connected_slaves") == 0 && slaves > 0)
        m_budgetS += CascadeBudgetS;
    char wake[IOManager::BufferSize] = "";
    if (m_channel->getString(wake, "cascade wol_slaves") == 0 && qstrcmp(wake, "yes") == 0)
        m_budgetS += WakeSlavesBudgetS;
    ui->label_hint->setText(hintText());
    // The form's size is the least; a longer (translated) question makes it taller.
    setMinimumSize(size());
    ensurePolished();
    layout()->activate();
    if (hasHeightForWidth())
        resize(width(), qMax(height(), heightForWidth(width())));

    m_timer->setSingleShot(true);
    m_timer->setInterval(CollectAfterMs);
    connect(m_timer, &QTimer::timeout, this, &SearchHardwareDlg::onTimer);
    connect(ui->pushButton_ok, &QPushButton::clicked, this, &SearchHardwareDlg::on_pushButton_ok_clicked);
    connect(ui->pushButton_cancel, &QPushButton::clicked, this, &SearchHardwareDlg::on_pushButton_cancel_clicked);
}

SearchHardwareDlg::~SearchHardwareDlg()
{
    delete ui;
}

QString SearchHardwareDlg::hintText() const
{
    return tr("This may take up to %1 seconds!").arg(m_budgetS);
}

void SearchHardwareDlg::prepare()
{
    ui->label_searching->clear();
    ui->progressBar->setRange(0, 1);
    ui->progressBar->setValue(0);
    ui->progressBar->setEnabled(false);
    ui->pushButton_ok->setEnabled(true);
    ui->pushButton_cancel->setEnabled(true);
    if (m_mode == QLatin1String("cameraupdate")) {
        ui->pushButton_ok->hide();
        ui->pushButton_cancel->hide();
        QTimer::singleShot(AutoStartMs, this, &SearchHardwareDlg::on_pushButton_ok_clicked);
    }
}

int SearchHardwareDlg::update_and_exec()
{
    prepare();
    return exec();
}

void SearchHardwareDlg::on_pushButton_ok_clicked()
{
    if (m_searching)
        return;
    m_searching = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ui->label_searching->setText(tr("Searching..."));
    ui->progressBar->setEnabled(true);
    ui->progressBar->setRange(0, 0);
    ui->pushButton_ok->setEnabled(false);
    ui->pushButton_cancel->setEnabled(false);
    m_reply[0] = '\0';
    m_channel->prepareNextCommand(true, m_budgetS * 1000, false);
    m_channel->sendCommand(m_reply, "quorix2 reinit");
    m_timer->start();
}

void SearchHardwareDlg::on_pushButton_cancel_clicked()
{
    reject();
}

void SearchHardwareDlg::reject()
{
    if (m_searching)
        return;
    QDialog::reject();
}

void SearchHardwareDlg::onTimer()
{
    m_channel->waitAsyncReply(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    const bool done = qstrcmp(m_reply, "quorix2 ok") == 0;
    m_channel->sendMessage("standard", "QUORIX4", 1,
                           done ? tr("Search for new hardware...done").toLatin1().constData()
                                : tr("Error: Unable search for new hardware").toLatin1().constData());
    QApplication::restoreOverrideCursor();
    m_searching = false;
    accept();
}
