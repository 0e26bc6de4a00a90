#pragma once

#include <array>

namespace Logic {

// One target of a digested frame, in the form the scene builders draw.
struct TrackedTarget
{
    enum State { NotTracked = 0, PositionOnly = 1, OrientationOnly = 2, FullPose = 3 };
    enum Kind { StandardBody = 0, Gripwand = 1, MeasurementTool = 2, ToolReference = 3, Marker = 4 };

    // Position, then the nine rotation values as the camera poses carry them.
    using Pose = std::array<double, 12>;

    int state = NotTracked;
    int kind = StandardBody;
    Pose pose = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    // A standard body's entry that came from an inertial sensor.
    bool inertial = false;
};

// One hand of a digested frame: the palm's pose and the finger tips, all in
// room coordinates.
struct TrackedHand
{
    static constexpr int MaxFingers = 5;

    int id = 0;
    bool tracked = false;
    int side = 0;
    TrackedTarget::Pose pose = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    int fingers = 0;
    std::array<std::array<double, 3>, MaxFingers> tips = {};
};

} // namespace Logic
