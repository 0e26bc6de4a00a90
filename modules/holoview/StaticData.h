#pragma once

#include <QString>

#include <array>
#include <vector>

class BackendVersions;
class IOManager;

namespace Logic {

// The parts of the scene that do not move during a measurement: the cameras'
// room calibration and the marker geometry of every rigid target, asked from
// the Controller over the command channel. Failed queries are reported as
// error events and the read goes on with zeros or empty marker lists.
// GUI thread only.
class StaticData
{
public:
    // Position x, y, z, then the rotation matrix column by column.
    using CameraPose = std::array<double, 12>;
    using Marker = std::array<double, 3>;
    using MarkerVector = std::vector<Marker>;

    // No Controller has more; a larger answer is wrong data, and believing it
    // would send millions of queries from the GUI thread.
    static constexpr int MaxTargets = 1000;
    static constexpr int MaxMarkers = 1000;
    static constexpr int MaxCameras = 1000;

    StaticData(IOManager *channel, BackendVersions *versions);

    // Re-reads standard bodies, gripwands, measurement tools, tool references
    // and cameras, in this order.
    void update();

    // Cameras by their place among the calibrated ones, from 0.
    int numberOfCameras() const { return static_cast<int>(m_cameras.size()); }
    const CameraPose *cameraPose(int index) const;
    bool allCamerasCalibrated() const { return m_allCamerasCalibrated; }
    // The Controller's camera number (from 1) of list place 'index'; 0 when none.
    int cameraNumber(int index) const;
    // Numbers of the cameras the last read found without a room calibration.
    const std::vector<int> &uncalibratedCameras() const { return m_uncalibrated; }
    // Numbers of the cameras whose room calibration could not be read or made
    // no sense: not drawn either.
    const std::vector<int> &unreadableCameras() const { return m_unreadable; }

    // Targets by their number, from 1. Null outside 1 … number.
    int numberOfStandardBodies() const { return static_cast<int>(m_standardBodies.size()); }
    const MarkerVector *standardBodyMarkers(int bodyNumber) const { return at(m_standardBodies, bodyNumber); }
    int numberOfGripwands() const { return static_cast<int>(m_gripwands.size()); }
    const MarkerVector *gripwandMarkers(int gripwandNumber) const { return at(m_gripwands, gripwandNumber); }
    int numberOfMeasurementTools() const { return static_cast<int>(m_measurementTools.size()); }
    const MarkerVector *measurementToolMarkers(int toolNumber) const { return at(m_measurementTools, toolNumber); }
    int numberOfToolReferences() const { return static_cast<int>(m_toolReferences.size()); }
    const MarkerVector *toolReferenceMarkers(int referenceNumber) const { return at(m_toolReferences, referenceNumber); }

    BackendVersions *backendVersions() const { return m_versions; }

private:
    struct Family;

    static const MarkerVector *at(const std::vector<MarkerVector> &list, int number);
    void readFamily(const Family &family, std::vector<MarkerVector> &list);
    void readCameras();
    bool parseRoomCalibration(const QString &answer, CameraPose &pose) const;
    void report(const char *text);
    bool failed(int result);

    // The channel's result once the connection has broken.
    static constexpr int ChannelBroken = -222;

    IOManager *m_channel;
    bool m_channelLost = false;
    BackendVersions *m_versions;
    std::vector<CameraPose> m_cameras;
    std::vector<int> m_cameraNumbers;
    std::vector<int> m_uncalibrated;
    std::vector<int> m_unreadable;
    bool m_allCamerasCalibrated = true;
    std::vector<MarkerVector> m_standardBodies;
    std::vector<MarkerVector> m_gripwands;
    std::vector<MarkerVector> m_measurementTools;
    std::vector<MarkerVector> m_toolReferences;
};

} // namespace Logic
