#pragma once

#include "StoreXML.h"

namespace Configuration {

// The last camera view. The vectors mean something only while valid is set.
class CameraSettingsData : public StoreXML
{
public:
    static const char *const ElementName;

    bool read(const QDomElement &element, int version) override;
    void write(QDomDocument &document, QDomElement &parent) override;

    double camPosition[3] = {};
    double camUpVector[3] = {};
    double camViewCenter[3] = {};
    bool valid = false;
};

} // namespace Configuration
