#include "HoloviewConfigData.h"

#include "IOManager.h"
#include "PrivateFiles.h"

#include <QDir>

namespace Configuration {

const char *const HoloviewConfigData::ElementName = "HoloviewConfigData";
const char *const HoloviewConfigData::FileName = "holoview-preferences.xml";

QString HoloviewConfigData::settingsRoot()
{
    return PrivateFiles::userRoot() + QStringLiteral("/modules/holoview");
}

QString HoloviewConfigData::versionFolder()
{
    return QStringLiteral("v%1.%2.%3").arg(1).arg(0).arg(1);
}

QString HoloviewConfigData::settingsDirectory()
{
    return settingsRoot() + QLatin1Char('/') + versionFolder() + QStringLiteral("/config");
}

bool HoloviewConfigData::read(const QDomElement &element, int version)
{
    struct Part {
        StoreXML *record;
        const char *name;
    };
    const Part parts[] = {
        {&input, InputConfigData::ElementName},
        {&display, DisplaySettingsData::ElementName},
        {&camera, CameraSettingsData::ElementName},
    };
    for (const Part &part : parts) {
        const QDomElement child = element.firstChildElement(QString::fromLatin1(part.name));
        if (!child.isNull())
            part.record->read(child, version);
    }
    return true;
}

void HoloviewConfigData::write(QDomDocument &document, QDomElement &parent)
{
    QDomElement element = document.createElement(QString::fromLatin1(ElementName));
    input.write(document, element);
    display.write(document, element);
    camera.write(document, element);
    parent.appendChild(element);
}

StoreXML::LoadResult HoloviewConfigData::load(const QString &directory, IOManager *channel)
{
    const QDir dir(directory);
    if (!dir.exists())
        return LoadResult::NoFile;
    const LoadResult result = loadDocument(dir.filePath(QString::fromLatin1(FileName)),
                                           QString::fromLatin1(ElementName), channel);
    if (result == LoadResult::NoFile)
        return result;

    bool calculate = true;
    if (!channel || channel->getBool(&calculate, "standard calculate_marker") != 0)
        calculate = true;
    display.calculateMarkers = calculate;
    return result;
}

bool HoloviewConfigData::save(const QString &directory, IOManager *channel)
{
    // The host's per-user folder is the user's alone; the plug-in keeps its own part so.
    PrivateFiles::makeDir(directory);
    return saveDocument(QDir(directory).filePath(QString::fromLatin1(FileName)), channel);
}

} // namespace Configuration
