#include "HelpCommandLine.h"

#include "ui_HelpCommandLine.h"

namespace {

// One option or example: the command line, its explanation indented below.
QString entry(const HelpCommandLine::Entry &e)
{
    return QStringLiteral("<p><b><tt>%1</tt></b><br/>&nbsp;&nbsp;&nbsp;&nbsp;%2</p>")
        .arg(e.command.toHtmlEscaped(), e.explanation.toHtmlEscaped());
}

} // namespace

QList<HelpCommandLine::Entry> HelpCommandLine::options()
{
    return {
        {QStringLiteral("-directstart"), tr("Connect with the last used QUORIX4-PC or Controller. Can be combined with -measure.")},
        {tr("-host <name or IP number>"),
         tr("Connect with the given QUORIX4-PC or Controller by name or IP number. Can be combined with -measure.")},
        {QStringLiteral("-measure"), tr("After connecting, start the measurement.")},
        {QStringLiteral("-wakeup"),
         tr("Wake up the last connected Controller only. Can be combined with -directstart and -measure.")},
        {tr("-wakeup <MAC address>"),
         tr("Wake up the Controller with the given MAC address only. Can be combined with -host and -measure.")},
    };
}

QList<HelpCommandLine::Entry> HelpCommandLine::examples()
{
    const QString sameController = tr("The MAC address and the host name or IP number must belong to the same Controller.");
    return {
        {QStringLiteral("-directstart"), tr("Connect with the last used QUORIX4-PC or Controller.")},
        {QStringLiteral("-host bqc-12345678"), tr("Connect with the Controller bqc-12345678, if the name can be resolved by DNS.")},
        {QStringLiteral("-host 10.10.5.55"), tr("Connect with the Controller at 10.10.5.55.")},
        {QStringLiteral("-directstart -measure"),
         tr("Connect with the last used QUORIX4-PC or Controller and start the measurement.")},
        {QStringLiteral("-host bqc-12345678 -measure"), tr("Connect with the Controller bqc-12345678 and start the measurement.")},
        {QStringLiteral("-host 10.10.5.55 -measure"), tr("Connect with the Controller at 10.10.5.55 and start the measurement.")},
        {QStringLiteral("-directstart -wakeup"), tr("Wake up the last connected Controller and connect with it.")},
        {QStringLiteral("-directstart -wakeup -measure"),
         tr("Wake up the last connected Controller, connect with it and start the measurement.")},
        {QStringLiteral("-host bqc-12345678 -wakeup 11:22:33:44:55:66"),
         tr("Wake up the Controller with the MAC address 11:22:33:44:55:66 and connect with it by name. ") + sameController},
        {QStringLiteral("-host 10.10.5.55 -wakeup 11:22:33:44:55:66"),
         tr("Wake up the Controller with the MAC address 11:22:33:44:55:66 and connect with it by IP number. ")
             + sameController},
        {QStringLiteral("-host bqc-12345678 -wakeup 11:22:33:44:55:66 -measure"),
         tr("As above, by name, and start the measurement. ") + sameController},
        {QStringLiteral("-host 10.10.5.55 -wakeup 11:22:33:44:55:66 -measure"),
         tr("As above, by IP number, and start the measurement. ") + sameController},
    };
}

QString HelpCommandLine::plainText()
{
    QString text = tr("QUORIX4 command line parameter:") + QLatin1Char('\n');
    for (const Entry &e : options())
        text += QStringLiteral("\n  %1\n      %2\n").arg(e.command, e.explanation);
    text += QLatin1Char('\n') + tr("Examples:") + QLatin1Char('\n');
    for (const Entry &e : examples())
        text += QStringLiteral("\n  %1\n      %2\n").arg(e.command, e.explanation);
    return text;
}

HelpCommandLine::HelpCommandLine(QWidget *parent) : QDialog(parent), ui(new Ui::HelpCommandLineClass)
{
    ui->setupUi(this);
    connect(ui->pushButton_exit, &QPushButton::clicked, this, &HelpCommandLine::on_pushButton_exit_clicked);

    QString text = QStringLiteral("<p><b>%1</b></p>").arg(tr("QUORIX4 command line parameter:"));
    for (const Entry &e : options())
        text += entry(e);
    text += QStringLiteral("<p><b>%1</b></p>").arg(tr("Examples:"));
    for (const Entry &e : examples())
        text += entry(e);
    ui->label_help->setText(text);
}

HelpCommandLine::~HelpCommandLine()
{
    delete ui;
}

void HelpCommandLine::on_pushButton_exit_clicked()
{
    close();
}
