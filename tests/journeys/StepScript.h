#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The text of a journey: a step a line, its words split as a shell would
// keep "quoted words" together, and "repeat N" … "end" blocks written out.
namespace StepScript {

QStringList splitWords(const QString &line);
// The lines with each repeated block written out N times; lineNumbers gets
// each line's number in the file.
QStringList unrollRepeats(const QStringList &lines, QList<int> *lineNumbers);

} // namespace StepScript
