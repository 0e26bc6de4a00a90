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
};

} // namespace Logic
