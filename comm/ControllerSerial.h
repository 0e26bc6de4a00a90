#pragma once

#include <QString>

// How a Controller's serial is printed where the model asks for a form of
// its own: model 2 prints "S" and eight digits.
namespace ControllerSerial {

inline QString model2(const QString &serial)
{
    return QStringLiteral("S") + serial.rightJustified(8, QLatin1Char('0'));
}

} // namespace ControllerSerial
