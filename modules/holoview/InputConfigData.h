#pragma once

#include "StoreXML.h"

namespace Configuration {

// Input settings: the coordinate plane the view is built for (0 floor,
// 1 "powerwall"). Replaced by the Controller's coordinate type after loading.
class InputConfigData : public StoreXML
{
public:
    static const char *const ElementName;

    bool read(const QDomElement &element, int version) override;
    void write(QDomDocument &document, QDomElement &parent) override;

    int plane = 0;
};

} // namespace Configuration
