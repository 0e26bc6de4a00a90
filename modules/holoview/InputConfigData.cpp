#include "InputConfigData.h"

namespace Configuration {

const char *const InputConfigData::ElementName = "InputConfigData";

bool InputConfigData::read(const QDomElement &element, int /*version*/)
{
    readInt(element, QStringLiteral("plane"), plane);
    return true;
}

void InputConfigData::write(QDomDocument &document, QDomElement &parent)
{
    QDomElement element = document.createElement(QString::fromLatin1(ElementName));
    writeInt(element, QStringLiteral("plane"), plane);
    parent.appendChild(element);
}

} // namespace Configuration
