#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class IOManager;
class QIODevice;
struct BackendVersions;

// The line-level mechanics of the configuration report: every line goes to
// one device opened by the caller (the file is never reopened by name while
// the report runs), every value is one quiet query of the Controller, and a
// failed query becomes "Error <code>" in place of its value. Knows nothing
// about the report's sections.
class ReportWriter
{
public:
    struct Column
    {
        QString name;
        int width;
    };

    explicit ReportWriter(IOManager *channel);

    // Counts from the Controller loop over its items: each is cut to
    // MaxCount, as the static data does, and all counts of one report together
    // grant at most MaxItems items, so that nested loops stay bounded too.
    static constexpr int MaxCount = 1000;
    static constexpr int MaxItems = 5000;

    // Where the lines go (not owned); nothing is written without one.
    void setDevice(QIODevice *device) { m_device = device; }
    QIODevice *device() const { return m_device; }

    // Writes text and "\n". A line that cannot be written is lost, and counted.
    bool line(const QString &text = QString());

    // Quiet queries: a refused parameter never raises a box, it becomes an
    // error line. The result is the channel's code (0 success).
    int get(QString *value, const QString &parameter);
    int getInt(int *value, const QString &parameter);
    // What a failed query leaves in place of its value.
    static QString errorText(int code) { return QStringLiteral("Error %1").arg(code); }
    // The value, or "Error <code>".
    QString valueOrError(const QString &parameter, int *result = nullptr);
    // "label" left-justified to width, ": ", then the value or the error.
    int value(const QString &label, int width, const QString &parameter);
    void text(const QString &label, int width, const QString &value);

    // Title, its dash line, the header, the column dashes and the rows. Cells
    // are right-aligned to their column, the last one unpadded.
    void table(const QString &title, const QVector<Column> &columns, const QVector<QStringList> &rows);
    static QString tableRow(const QVector<Column> &columns, const QStringList &cells);

    // Protocol gates: at least major.minor by the rule of the version record;
    // without a record (or an unread version) every gate is closed.
    void setVersions(const BackendVersions *versions) { m_versions = versions; }
    bool atLeast(int major, int minor) const;
    // Heading and empty line. False, with the too-old line and the closing
    // empty line written, when the Controller is older than the minimum.
    bool openSection(const QString &name, int major = 0, int minor = 0);
    void tooOld();
    // A count query: the result code, and in *value the number of items to
    // list, never above MaxCount nor above what is left of MaxItems. A cut
    // count writes a note line saying so.
    int getCount(int *value, const QString &parameter);
    // "label: N" from a count query; on failure "label: Error <code>" and 0.
    int count(const QString &label, int width, const QString &parameter);
    int countsCapped() const { return m_capped; }

    int commandsSent() const { return m_commands; }
    // For commands sent around the writer (the custom-calibration check).
    void noteCommand() { ++m_commands; }
    int linesLost() const { return m_linesLost; }
    void resetCounters();

    // "B%1"-style identifiers and the Controller's "b%02d" selectors.
    static QString selector(const char *letter, int n);
    // Word index of a blank-separated reply, empty when there is none.
    static QString word(const QString &text, int index);

private:
    IOManager *m_channel;
    const BackendVersions *m_versions = nullptr;
    QIODevice *m_device = nullptr;
    int m_commands = 0;
    int m_linesLost = 0;
    int m_itemsLeft = MaxItems;
    int m_capped = 0;
};
