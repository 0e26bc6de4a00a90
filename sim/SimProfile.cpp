#include "SimProfile.h"

#include "SimFaults.h"
#include "SimScenario.h"

#include <QFile>
#include <QTextStream>

bool SimProfile::load(const QString& path, SimScenario* scenario, SimFaults* faults, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("cannot read profile %1: %2").arg(path, file.errorString());
        return false;
    }
    // Work on copies so that a bad line leaves the caller's settings alone.
    SimScenario s = *scenario;
    SimFaults f = *faults;
    QTextStream in(&file);
    int lineNumber = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNumber;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        QString why = QStringLiteral("expected \"name = value\"");
        bool ok = false;
        if (eq > 0) {
            const QString name = line.left(eq).trimmed();
            const QString value = line.mid(eq + 1);
            ok = name.startsWith(QLatin1String("fault-")) ? f.applyOption(name, value, &why) : s.applyOption(name, value, &why);
        }
        if (!ok) {
            if (error)
                *error = QStringLiteral("%1:%2: %3").arg(path).arg(lineNumber).arg(why);
            return false;
        }
    }
    *scenario = s;
    *faults = f;
    return true;
}
