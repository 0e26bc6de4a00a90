#include "StaticData.h"

#include "IOManager.h"

#include <QCoreApplication>
#include <QStringList>

#include <cmath>

namespace Logic {

// The words of one marker family's queries and its error texts.
struct StaticData::Family {
    const char *countCommand;
    const char *countError;
    const char *bodyWord;  // in "body number_of_marker <word> b01" and "body marker <word> b01 m01"
    const char *markerCountError;
    const char *positionError;
    bool askAvailable;     // measurement tools: only when available
};

StaticData::StaticData(IOManager *channel, BackendVersions *versions)
    : m_channel(channel)
    , m_versions(versions)
{
}

const StaticData::CameraPose *StaticData::cameraPose(int index) const
{
    if (index < 0 || index >= numberOfCameras())
        return nullptr;
    return &m_cameras[static_cast<size_t>(index)];
}

const StaticData::MarkerVector *StaticData::at(const std::vector<MarkerVector> &list, int number)
{
    if (number < 1 || number > static_cast<int>(list.size()))
        return nullptr;
    return &list[static_cast<size_t>(number - 1)];
}

void StaticData::update()
{
    // The texts go through the translator when they are reported.
    static const Family standardBodies = {
        "body number_of_bodies standard",
        QT_TRANSLATE_NOOP("StaticData", "Error: Unable to get number of bodies"),
        "standard",
        QT_TRANSLATE_NOOP("StaticData", "Error: Unable to get number of marker"),
        QT_TRANSLATE_NOOP("StaticData", "Error: Unable to get marker position"),
        false};
    static const Family gripwands = {
        "body number_of_bodies gripwand",
        QT_TRANSLATE_NOOP("StaticData", "Error: Unable to get number of gripwands"),
        "gripwand",
        QT_TRANSLATE_NOOP("StaticData", "Error: Unable to get number of marker of gripwand"),
        QT_TRANSLATE_NOOP("StaticData", "Error: Unable to get gripwand marker position"),
        false};
    static const Family measurementTools = {
        "body number_of_bodies measurementtool",
        QT_TRANSLATE_NOOP("StaticData", "Error: Unable to get number of measurementtools"),
        "measurementtool",
        QT_TRANSLATE_NOOP("StaticData", "Error: Unable to get number of marker of measurementtool"),
        QT_TRANSLATE_NOOP("StaticData", "Error: Unable to get measurementtool marker position"),
        true};
    static const Family toolReferences = {
        "measurementtool number_of_references",
        QT_TRANSLATE_NOOP("StaticData", "Error: Unable to get number of measurementtool references"),
        "measurementtool_reference",
        QT_TRANSLATE_NOOP("StaticData", "Error: Unable to get number of marker of measurementtool reference"),
        QT_TRANSLATE_NOOP("StaticData", "Error: Unable to get measurementtool_reference marker position"),
        false};

    m_channelLost = false;
    readFamily(standardBodies, m_standardBodies);
    readFamily(gripwands, m_gripwands);
    readFamily(measurementTools, m_measurementTools);
    readFamily(toolReferences, m_toolReferences);
    readCameras();
}

// A channel that broke sends nothing more: the loss has been reported once,
// and a line per query that follows would only hide its cause.
bool StaticData::failed(int result)
{
    // Closed by the Controller, not sent, or broken by an earlier failure.
    if (result == -22 || result == -2 || result == ChannelBroken)
        m_channelLost = true;
    return result != 0;
}

void StaticData::readFamily(const Family &family, std::vector<MarkerVector> &list)
{
    list.clear();
    if (!m_channel)
        return;

    int number = 0;
    bool available = true;
    if (family.askAvailable && (failed(m_channel->getBool(&available, "measurementtool available")) || !available)) {
        number = 0;
    } else if (failed(m_channel->getInt(&number, "%s", family.countCommand)) || number < 0 || number > MaxTargets) {
        number = 0;
        report(family.countError);
    }

    list.reserve(static_cast<size_t>(number));
    for (int b = 1; b <= number && !m_channelLost; ++b) {
        int markers = 0;
        if (failed(m_channel->getInt(&markers, "body number_of_marker %s b%.2d", family.bodyWord, b))
            || markers < 0 || markers > MaxMarkers) {
            markers = 0;
            report(family.markerCountError);
        }
        MarkerVector vector(static_cast<size_t>(markers), Marker{{0.0, 0.0, 0.0}});
        for (int m = 1; m <= markers && !m_channelLost; ++m) {
            Marker &position = vector[static_cast<size_t>(m - 1)];
            if (failed(m_channel->getDoubles(position.data(), 3, "body marker %s b%.2d m%.2d", family.bodyWord, b, m))) {
                // A partly parsed answer leaves values behind; the marker stays at the origin.
                position = Marker{{0.0, 0.0, 0.0}};
                report(family.positionError);
            }
        }
        list.push_back(std::move(vector));
    }
}

void StaticData::readCameras()
{
    m_cameras.clear();
    m_cameraNumbers.clear();
    m_uncalibrated.clear();
    m_unreadable.clear();
    if (!m_channel)
        return;
    int number = 0;
    if (failed(m_channel->getInt(&number, "camera number_of_cameras")) || number < 0 || number > MaxCameras) {
        report(QT_TRANSLATE_NOOP("StaticData", "Error: Unable to get number of cameras"));
        return;
    }
    m_allCamerasCalibrated = true;
    for (int c = 1; c <= number && !m_channelLost; ++c) {
        char answer[200] = {};
        if (failed(m_channel->getString(answer, "tracking room c%2.2d", c))) {
            report(QT_TRANSLATE_NOOP("StaticData", "Error: Unable to get room cal of camera"));
            if (!m_channelLost)
                m_unreadable.push_back(c);
            continue;
        }
        const QString text = QString::fromLatin1(answer);
        if (text == QLatin1String("none")) {
            m_allCamerasCalibrated = false;
            m_uncalibrated.push_back(c);
            continue;
        }
        CameraPose pose{};
        if (!parseRoomCalibration(text, pose)) {
            report(QT_TRANSLATE_NOOP("StaticData", "Error: Wrong data in camera room cal"));
            m_unreadable.push_back(c);
            continue;
        }
        m_cameras.push_back(pose);
        m_cameraNumbers.push_back(c);
    }
}

int StaticData::cameraNumber(int index) const
{
    return index >= 0 && index < static_cast<int>(m_cameraNumbers.size()) ? m_cameraNumbers[static_cast<size_t>(index)]
                                                                          : 0;
}

bool StaticData::parseRoomCalibration(const QString &answer, CameraPose &pose) const
{
    // Single blanks separate the numbers: a double blank makes an empty piece
    // and so a thirteenth one.
    const QStringList pieces = answer.split(QLatin1Char(' '), Qt::KeepEmptyParts);
    if (pieces.size() != 12)
        return false;
    for (int k = 0; k < 12; ++k) {
        bool ok = false;
        const double value = pieces[k].toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return false;
        pose[static_cast<size_t>(k)] = value;
    }
    return true;
}

void StaticData::report(const char *text)
{
    if (m_channel && !m_channelLost)
        m_channel->sendMessage("standard", "Quorix2", 1,
                               QCoreApplication::translate("StaticData", text).toUtf8().constData());
}

} // namespace Logic
