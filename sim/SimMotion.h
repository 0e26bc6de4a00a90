#pragma once

#include <cstdint>
#include <vector>

class SimScenario;

// Where every target is at a given time. Bodies, gripwands and tools walk on
// slow Lissajous paths through a 4 m volume and turn as they go; some drop
// out now and then (quality -1). All values are in millimetres in the room's
// coordinates: z up for "normal" rooms, y up for "powerwall" rooms.
class SimMotion
{
public:
    struct Pose
    {
        double position[3] = {0, 0, 0};
        double rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1}; // column by column
    };

    struct Target
    {
        double quality = -1.0;
        Pose pose;
        unsigned buttons = 0;          // bit j: button j pressed
        double controllers[2] = {0, 0}; // joystick, -1 … +1
    };

    struct Marker
    {
        int id = 0;
        double quality = -1.0;
        double position[3] = {0, 0, 0};
    };

    struct Hand
    {
        double quality = -1.0;
        int side = 0; // 0 left, 1 right
        Pose pose;
        Pose fingers[5];
        double fingerValues[5][6] = {};
    };

    struct Inertial
    {
        int state = 0;
        double quality = 0.0;
        Pose pose;
    };

    void configure(const SimScenario& scenario);
    // Computes every target for time t (seconds since the measurement started).
    void update(double t);

    std::vector<Target> bodies;
    std::vector<Target> gripwands;
    std::vector<Target> tools;
    std::vector<Target> references;
    std::vector<Marker> markers;
    std::vector<Hand> hands;
    std::vector<Inertial> inertials;
    int fingersPerHand = 3;
    int lastBodyId = -1;
    bool markerIdChurn = false;
    // The first standard body is forced out for dropBodyMs every dropBodyEverySec (0: never).
    int dropBodyMs = 0;
    int dropBodyEverySec = 0;

    // Id a standard body streams under: its index, or lastBodyId for the last one.
    int bodyId(int index) const;

    // Time t (seconds since the start) lies in one of the first body's forced dropouts.
    bool firstBodyForcedOut(double t) const;

    // Number of tracked standard bodies and markers in the last update.
    int trackedBodies() const;
    int trackedMarkers() const;

    // Camera pose for the room calibration: cameras hang around the volume,
    // high up, looking at its centre (local -z is the viewing direction).
    static Pose cameraPose(int index, int count, bool powerwall);

    // A well-mixed hash: the same input gives the same "random" choice in
    // every run, whatever the timing.
    static uint32_t mix(uint32_t x);

private:
    void walk(int seed, double t, double speed, Pose* pose) const;
    static bool dropped(int seed, double t, double window, unsigned oneIn);
    static void toRoom(Pose* pose, bool powerwall);
    bool m_powerwall = false;
    unsigned m_updates = 0;
};
