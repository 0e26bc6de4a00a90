#include "DisplaySettingsData.h"

#include <iterator>

namespace Configuration {

namespace {

struct Attribute {
    const char *name;
    bool DisplaySettingsData::*value;
};

// The stored switches, in the file's order.
const Attribute attributes[] = {
    {"world.showGrid", &DisplaySettingsData::worldShowGrid},
    {"world.showCS", &DisplaySettingsData::worldShowCS},
    {"trackedBody.showCOS", &DisplaySettingsData::trackedBodyShowCOS},
    {"trackedBody.showMarkers", &DisplaySettingsData::trackedBodyShowMarkers},
    {"trackedBody.showIDs", &DisplaySettingsData::trackedBodyShowIDs},
    {"trackedGripwand.showCOS", &DisplaySettingsData::trackedGripwandShowCOS},
    {"trackedGripwand.showMarkers", &DisplaySettingsData::trackedGripwandShowMarkers},
    {"trackedGripwand.showIDs", &DisplaySettingsData::trackedGripwandShowIDs},
    {"trackedMarker3D.showIDs", &DisplaySettingsData::trackedMarker3DShowIDs},
    {"trackedMarker3D.showSphere", &DisplaySettingsData::trackedMarker3DShowSphere},
    {"camera.showIDs", &DisplaySettingsData::cameraShowIDs},
    {"camera.showFrustum", &DisplaySettingsData::cameraShowFrustum},
    {"trackedHand.show", &DisplaySettingsData::trackedHandShow},
    {"trackedInertial.show", &DisplaySettingsData::trackedInertialShow},
};

} // namespace

const char *const DisplaySettingsData::ElementName = "DisplaySettingsData";

bool DisplaySettingsData::read(const QDomElement &element, int /*version*/)
{
    for (const Attribute &attribute : attributes)
        readBool(element, QString::fromLatin1(attribute.name), this->*attribute.value);
    return true;
}

void DisplaySettingsData::write(QDomDocument &document, QDomElement &parent)
{
    QDomElement element = document.createElement(QString::fromLatin1(ElementName));
    for (const Attribute &attribute : attributes)
        writeBool(element, QString::fromLatin1(attribute.name), this->*attribute.value);
    parent.appendChild(element);
}

} // namespace Configuration
