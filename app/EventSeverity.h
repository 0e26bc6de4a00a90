#pragma once

#include <QString>

// How serious an event line reads. The Controller's messages carry no level,
// so it is told from what they say: the words of failure and of warning, in
// English and in the front end's German.
namespace EventSeverity {

enum Level { Plain, Warning, Error };

Level of(const QString &message);

} // namespace EventSeverity
