#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class SimScenario;

// Every parameter the simulated Controller answers, keyed by its canonical
// path ("camera focal_length c01"), with its value and whether a set may
// change it. Built from a scenario; values a front end sets are kept until
// the model is built again. Parameters that follow the measurement (status)
// or the connection (access, password checks) are answered by the command
// processor, not stored here.
class SimParameterModel
{
public:
    enum class Type { Text, Word, Bool, Int, Double, Numbers };

    struct Entry
    {
        QString value;
        bool settable = false;
        Type type = Type::Text;
    };

    void build(const SimScenario& scenario);

    const Entry* find(const QString& key) const;
    QString value(const QString& key) const;
    // Stores without any check (the processor's own updates).
    void store(const QString& key, const QString& value);
    // Longest known key formed by the leading words, leaving at least one word
    // for the value. Returns the number of key words, 0 when none is known.
    int matchSetKey(const QStringList& canonicalWords, QString* key) const;
    static bool validValue(Type type, const QString& value);
    int size() const { return m_entries.size(); }
    QStringList keys() const { return m_entries.keys(); }

    // Identifiers the enumeration parameters return (shared with the processor).
    static QString selector(const char* letter, int n);
    static QString cameraModel(int camera);
    static QString cameraHardwareId(int camera);
    static QString deviceId(const char* model, int n); // "vendor model serial" of a radio device

private:
    void ro(const QString& key, const QString& value, Type type = Type::Text);
    void rw(const QString& key, const QString& value, Type type);
    QHash<QString, Entry> m_entries;
};
