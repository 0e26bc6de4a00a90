#pragma once

#include <QString>

// The front end's own version and release date: the one place for them. The
// per-user directory name, the version check and the version list use these.
namespace QuorixVersion {

constexpr int Major = 4;
constexpr int Minor = 0;
constexpr int Patch = 1;
constexpr const char ReleaseDate[] = "2026-02-02";

// "4.0.1": built from the numbers, so a later version reads its own directory.
inline QString text()
{
    return QStringLiteral("%1.%2.%3").arg(Major).arg(Minor).arg(Patch);
}

} // namespace QuorixVersion
