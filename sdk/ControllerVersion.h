#pragma once

// The one reading and comparison of the Controller's version texts, used by
// every protocol gate: the channel, the scan, the connect dialog, the password
// check, the main window and the report. Crosses the plug-in boundary (through
// BackendVersions.h): everything here is inline and needs QtCore only.

#include <QString>
#include <QStringList>

#include <tuple>

// One version of the Controller: three signed parts, -1 when not read.
struct ControllerVersion
{
    int major = -1;
    int minor = -1;
    int patch = -1;

    // The rule of every protocol gate: at least X.Y when
    // (major, minor, patch) >= (X, Y, -1), so 1.12 with no patch passes 1.12.
    bool isAtLeast(int wantMajor, int wantMinor) const { return isAtLeast(wantMajor, wantMinor, -1); }

    bool isAtLeast(int wantMajor, int wantMinor, int wantPatch) const
    {
        return std::make_tuple(major, minor, patch) >= std::make_tuple(wantMajor, wantMinor, wantPatch);
    }

    bool isAtLeast(const ControllerVersion &minimum) const
    {
        return isAtLeast(minimum.major, minimum.minor, minimum.patch);
    }

    bool operator==(const ControllerVersion &o) const
    {
        return major == o.major && minor == o.minor && patch == o.patch;
    }
    bool operator!=(const ControllerVersion &o) const { return !(*this == o); }

    // Reads "v2.13.0", "v1.12", "2.13.0-beta", "v0.2.10_rc1", "v1.30rc2": the
    // numbers end at the first character that is neither a digit nor a dot. A
    // part that does not convert becomes 0 and ends the reading; parts not
    // reached stay -1.
    static ControllerVersion parse(const QString &text)
    {
        ControllerVersion v;
        QString t = text.toLower();
        if (t.startsWith(QLatin1Char('v')))
            t.remove(0, 1);
        for (int i = 0; i < t.size(); ++i) {
            const QChar c = t.at(i);
            if ((c < QLatin1Char('0') || c > QLatin1Char('9')) && c != QLatin1Char('.')) {
                t.truncate(i);
                break;
            }
        }
        int *fields[] = {&v.major, &v.minor, &v.patch};
        const QStringList parts = t.split(QLatin1Char('.'));
        for (int i = 0; i < 3 && i < parts.size(); ++i) {
            bool ok = false;
            const int n = parts.at(i).toInt(&ok);
            *fields[i] = ok ? n : 0;
            if (!ok)
                break;
        }
        return v;
    }

    // The version in a value such as "v1.24.0 (2026-01-05)": its first word.
    static ControllerVersion parseValue(const QString &value)
    {
        return parse(value.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty));
    }
};
