#pragma once

#include <QString>

// The maker's addresses as the information dialogs show them. Placeholders
// until the product has its own domain.
namespace MakerContact {

inline QString webAddress() { return QStringLiteral("https://www.example.com"); }
// Ends in the key the service ID is appended to.
inline QString supportPage() { return QStringLiteral("https://support.example.com/request?supportID="); }
inline QString email() { return QStringLiteral("support@example.com"); }
inline QString telephone() { return QStringLiteral("+1 555 0100"); }

} // namespace MakerContact
