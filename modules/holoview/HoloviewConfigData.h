#pragma once

#include "CameraSettingsData.h"
#include "DisplaySettingsData.h"
#include "InputConfigData.h"

namespace Configuration {

// The 3D monitor's settings and their file "holoview-preferences.xml" in the
// module's per-user settings directory.
class HoloviewConfigData : public StoreXML
{
public:
    static const char *const ElementName;
    static const char *const FileName;

    // "<home>/.ZEL/QUORIX4/modules/holoview/v1.0.1/config"
    static QString settingsDirectory();
    // "<home>/.ZEL/QUORIX4/modules/holoview" and "v1.0.1": one folder per
    // version of the plug-in below the root.
    static QString settingsRoot();
    static QString versionFolder();

    bool read(const QDomElement &element, int version) override;
    void write(QDomDocument &document, QDomElement &parent) override;

    // Keeps the current values when there is no file; a bad file is reported
    // on the channel's "standard" message channel. Afterwards asks the
    // Controller whether it computes standard-body markers.
    LoadResult load(const QString &directory, IOManager *channel);
    // Creates the directory when needed; a failure is reported on the channel.
    bool save(const QString &directory, IOManager *channel);

    InputConfigData input;
    DisplaySettingsData display;
    CameraSettingsData camera;
};

} // namespace Configuration
