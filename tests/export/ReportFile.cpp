#include "ReportFile.h"

#include <QFile>
#include <QRegularExpression>

ReportFile::ReportFile(const QString &path)
{
    QFile file(path);
    m_exists = file.open(QIODevice::ReadOnly | QIODevice::Text);
    if (!m_exists)
        return;
    m_lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
    static const QRegularExpression heading(QStringLiteral("^\\[[^\\]]+\\]$"));
    QString current;
    for (const QString &line : qAsConst(m_lines)) {
        if (heading.match(line).hasMatch()) {
            current = line.mid(1, line.size() - 2);
            m_order << current;
            m_sections[current];
            continue;
        }
        if (!current.isEmpty())
            m_sections[current] << line;
    }
}

QStringList ReportFile::section(const QString &name) const
{
    return m_sections.value(name);
}

bool ReportFile::contains(const QString &text) const
{
    for (const QString &line : m_lines)
        if (line.contains(text))
            return true;
    return false;
}
