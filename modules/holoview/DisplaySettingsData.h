#pragma once

#include "StoreXML.h"

namespace Configuration {

// What the 3D monitor draws. All switches but calculateMarkers are stored;
// that one mirrors the Controller's "standard calculate_marker".
class DisplaySettingsData : public StoreXML
{
public:
    static const char *const ElementName;

    bool read(const QDomElement &element, int version) override;
    void write(QDomDocument &document, QDomElement &parent) override;

    bool worldShowGrid = true;
    bool worldShowCS = true;
    bool trackedBodyShowCOS = true;
    bool trackedBodyShowMarkers = true;
    bool trackedBodyShowIDs = false;
    bool trackedGripwandShowCOS = true;
    bool trackedGripwandShowMarkers = true;
    bool trackedGripwandShowIDs = true;
    bool trackedMarker3DShowIDs = false;
    bool trackedMarker3DShowSphere = true;
    bool calculateMarkers = true;
    bool cameraShowIDs = true;
    bool cameraShowFrustum = true;
    // Families the Controller may send besides the optical targets.
    bool trackedHandShow = true;
    bool trackedInertialShow = true;
};

} // namespace Configuration
