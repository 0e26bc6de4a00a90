#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// A written report read back for checks: its lines and its sections by name.
class ReportFile
{
public:
    explicit ReportFile(const QString &path);

    bool exists() const { return m_exists; }
    QStringList lines() const { return m_lines; }
    // The lines of "[Name]" up to the next section heading (heading excluded).
    QStringList section(const QString &name) const;
    QStringList sectionNames() const { return m_order; }
    bool contains(const QString &text) const;

private:
    bool m_exists = false;
    QStringList m_lines;
    QStringList m_order;
    QMap<QString, QStringList> m_sections;
};
