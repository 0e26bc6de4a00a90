#include "CameraSettingsData.h"

namespace Configuration {

const char *const CameraSettingsData::ElementName = "CameraSettingsData";

bool CameraSettingsData::read(const QDomElement &element, int /*version*/)
{
    readVector(element, QStringLiteral("camPosition"), camPosition);
    readVector(element, QStringLiteral("camUpVector"), camUpVector);
    readVector(element, QStringLiteral("camViewCenter"), camViewCenter);
    readBool(element, QStringLiteral("valid"), valid);
    return true;
}

void CameraSettingsData::write(QDomDocument &document, QDomElement &parent)
{
    QDomElement element = document.createElement(QString::fromLatin1(ElementName));
    writeVector(element, QStringLiteral("camPosition"), camPosition);
    writeVector(element, QStringLiteral("camUpVector"), camUpVector);
    writeVector(element, QStringLiteral("camViewCenter"), camViewCenter);
    writeBool(element, QStringLiteral("valid"), valid);
    parent.appendChild(element);
}

} // namespace Configuration
