#pragma once

#include "ReportWriter.h"

#include <QString>

// What every group of report sections shares: the writer, and short names for
// the calls each section makes on it.
class ReportSection
{
public:
    explicit ReportSection(ReportWriter &out) : m_out(out) {}

protected:
    using Column = ReportWriter::Column;

    bool atLeast(int major, int minor) const { return m_out.atLeast(major, minor); }
    bool openSection(const QString &name, int major = 0, int minor = 0) { return m_out.openSection(name, major, minor); }
    void tooOld() { m_out.tooOld(); }
    int count(const QString &label, int width, const QString &parameter) { return m_out.count(label, width, parameter); }
    static QString sel(const char *letter, int n) { return ReportWriter::selector(letter, n); }
    static QString word(const QString &text, int index) { return ReportWriter::word(text, index); }

    ReportWriter &m_out;
};
