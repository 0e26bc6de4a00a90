#include "ReportWriter.h"

#include "BackendVersions.h"
#include "IOManager.h"

#include <QIODevice>

ReportWriter::ReportWriter(IOManager *channel)
    : m_channel(channel)
{
}

bool ReportWriter::line(const QString &text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    if (m_device && m_device->write(bytes) == bytes.size())
        return true;
    ++m_linesLost;
    return false;
}

void ReportWriter::resetCounters()
{
    m_commands = 0;
    m_linesLost = 0;
    m_itemsLeft = MaxItems;
    m_capped = 0;
}

int ReportWriter::get(QString *value, const QString &parameter)
{
    char buffer[IOManager::BufferSize];
    buffer[0] = '\0';
    ++m_commands;
    m_channel->prepareNextCommand(false, -1, true);
    const int r = m_channel->getString(buffer, "%s", parameter.toLatin1().constData());
    if (r == 0)
        *value = QString::fromLatin1(buffer);
    return r;
}

int ReportWriter::getInt(int *value, const QString &parameter)
{
    ++m_commands;
    m_channel->prepareNextCommand(false, -1, true);
    int v = 0;
    const int r = m_channel->getInt(&v, "%s", parameter.toLatin1().constData());
    if (r == 0)
        *value = v;
    return r;
}

QString ReportWriter::valueOrError(const QString &parameter, int *result)
{
    QString v;
    const int r = get(&v, parameter);
    if (result)
        *result = r;
    return r == 0 ? v : errorText(r);
}

int ReportWriter::value(const QString &label, int width, const QString &parameter)
{
    int r = 0;
    const QString v = valueOrError(parameter, &r);
    text(label, width, v);
    return r;
}

void ReportWriter::text(const QString &label, int width, const QString &value)
{
    line(label.leftJustified(width) + QStringLiteral(": ") + value);
}

QString ReportWriter::tableRow(const QVector<Column> &columns, const QStringList &cells)
{
    QStringList parts;
    for (int i = 0; i < columns.size(); ++i) {
        const QString cell = cells.value(i);
        const int width = qMax(columns.at(i).width, columns.at(i).name.size());
        parts << (i + 1 < columns.size() ? cell.rightJustified(width) : cell);
    }
    return parts.join(QStringLiteral(" | "));
}

void ReportWriter::table(const QString &title, const QVector<Column> &columns, const QVector<QStringList> &rows)
{
    line(title);
    line(QString(title.size(), QLatin1Char('-')));
    QStringList header;
    QStringList dashes;
    for (int i = 0; i < columns.size(); ++i) {
        const Column &c = columns.at(i);
        const int width = qMax(c.width, c.name.size());
        header << c.name.leftJustified(width);
        // Each dash run spans its column and the blanks of the " | " around it.
        const int extra = (i == 0 || i + 1 == columns.size()) ? 1 : 2;
        dashes << QString(width + (columns.size() == 1 ? 0 : extra), QLatin1Char('-'));
    }
    line(header.join(QStringLiteral(" | ")));
    line(dashes.join(QLatin1Char('|')));
    for (const QStringList &row : rows)
        line(tableRow(columns, row));
}

QString ReportWriter::selector(const char *letter, int n)
{
    return QStringLiteral("%1%2").arg(QLatin1String(letter)).arg(n, 2, 10, QLatin1Char('0'));
}

QString ReportWriter::word(const QString &text, int index)
{
    return text.split(QLatin1Char(' '), Qt::SkipEmptyParts).value(index);
}

bool ReportWriter::atLeast(int major, int minor) const
{
    return m_versions && m_versions->protocol.isAtLeast(major, minor);
}

void ReportWriter::tooOld()
{
    line(QStringLiteral("Version of Controller is too old."));
}

bool ReportWriter::openSection(const QString &name, int major, int minor)
{
    line(name);
    line();
    if (atLeast(major, minor))
        return true;
    tooOld();
    line();
    return false;
}

int ReportWriter::getCount(int *value, const QString &parameter)
{
    int n = 0;
    const int r = getInt(&n, parameter);
    if (r != 0)
        return r;
    const int kept = qBound(0, qMin(n, MaxCount), m_itemsLeft);
    if (kept < n) {
        ++m_capped;
        line(QStringLiteral("(The Controller answered %1 to \"%2\": only %3 are listed.)").arg(n).arg(parameter).arg(kept));
    }
    m_itemsLeft -= kept;
    *value = kept;
    return r;
}

int ReportWriter::count(const QString &label, int width, const QString &parameter)
{
    int n = 0;
    const int r = getCount(&n, parameter);
    text(label, width, r == 0 ? QString::number(n) : errorText(r));
    return r == 0 ? n : 0;
}
