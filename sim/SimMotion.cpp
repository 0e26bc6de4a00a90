#include "SimMotion.h"

#include "SimScenario.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Rz(yaw) * Ry(pitch) * Rx(roll), stored column by column.
void rotation(double yaw, double pitch, double roll, double* r)
{
    const double cz = std::cos(yaw), sz = std::sin(yaw);
    const double cy = std::cos(pitch), sy = std::sin(pitch);
    const double cx = std::cos(roll), sx = std::sin(roll);
    r[0] = cz * cy;
    r[1] = sz * cy;
    r[2] = -sy;
    r[3] = cz * sy * sx - sz * cx;
    r[4] = sz * sy * sx + cz * cx;
    r[5] = cy * sx;
    r[6] = cz * sy * cx + sz * sx;
    r[7] = sz * sy * cx - cz * sx;
    r[8] = cy * cx;
}

// v := R * local, R column by column.
void rotate(const double* r, const double* local, double* v)
{
    for (int i = 0; i < 3; ++i)
        v[i] = r[i] * local[0] + r[3 + i] * local[1] + r[6 + i] * local[2];
}

void normalise(double* v)
{
    const double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (n > 0)
        for (int i = 0; i < 3; ++i)
            v[i] /= n;
}

void cross(const double* a, const double* b, double* out)
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

} // namespace

void SimMotion::configure(const SimScenario& scenario)
{
    m_powerwall = scenario.powerwall();
    bodies.assign(size_t(scenario.bodies), Target());
    gripwands.assign(size_t(scenario.gripwands), Target());
    tools.assign(size_t(scenario.tools), Target());
    references.assign(size_t(scenario.references), Target());
    markers.assign(size_t(scenario.markers), Marker());
    for (size_t i = 0; i < markers.size(); ++i)
        markers[i].id = int(i) + 1;
    hands.assign(size_t(scenario.hands), Hand());
    inertials.assign(size_t(scenario.inertialSensors), Inertial());
    lastBodyId = scenario.lastBodyId;
    markerIdChurn = scenario.markerIdChurn;
    dropBodyMs = scenario.dropBodyMs;
    dropBodyEverySec = scenario.dropBodyEverySec;
    update(0.0);
}

bool SimMotion::dropped(int seed, double t, double window, unsigned oneIn)
{
    const uint32_t slot = uint32_t(std::floor(t / window));
    return mix(uint32_t(seed) * 0x9e3779b9U ^ mix(slot + 0x1234567U)) % oneIn == 0;
}

void SimMotion::walk(int seed, double t, double speed, Pose* pose) const
{
    const double s = double(seed);
    const double cx = 1100.0 * std::sin(s * 2.1);
    const double cy = 1100.0 * std::cos(s * 1.7);
    const double cz = 1200.0 + 250.0 * std::sin(s * 0.9);
    const double w = speed * (0.6 + 0.07 * double(seed % 5));
    pose->position[0] = cx + 700.0 * std::sin(w * 0.31 * t + s);
    pose->position[1] = cy + 700.0 * std::sin(w * 0.23 * t + 2.0 * s);
    pose->position[2] = cz + 300.0 * std::sin(w * 0.37 * t + 0.5 * s);
    rotation(0.5 * w * t + s, 0.35 * std::sin(0.5 * w * t + s), 0.25 * std::sin(0.7 * w * t + 2.0 * s), pose->rotation);
}

void SimMotion::toRoom(Pose* pose, bool powerwall)
{
    if (!powerwall)
        return;
    // Powerwall rooms have y up: (x, y, z) -> (x, z, -y), and R -> M R M^T.
    const double* p = pose->position;
    const double np[3] = {p[0], p[2], -p[1]};
    double r[9];
    const double* o = pose->rotation;
    // Column k of M R M^T is M (R (M^T e_k)); M^T e_0 = e_0, M^T e_1 = e_2, M^T e_2 = -e_1.
    const double* col[3] = {o, o + 6, o + 3};
    const double sign[3] = {1.0, 1.0, -1.0};
    for (int k = 0; k < 3; ++k) {
        const double* c = col[k];
        r[3 * k + 0] = sign[k] * c[0];
        r[3 * k + 1] = sign[k] * c[2];
        r[3 * k + 2] = -sign[k] * c[1];
    }
    for (int i = 0; i < 3; ++i)
        pose->position[i] = np[i];
    for (int i = 0; i < 9; ++i)
        pose->rotation[i] = r[i];
}

void SimMotion::update(double t)
{
    for (size_t i = 0; i < bodies.size(); ++i) {
        Target& b = bodies[i];
        const int seed = int(i) + 1;
        walk(seed, t, 1.0, &b.pose);
        toRoom(&b.pose, m_powerwall);
        b.quality = dropped(seed, t, 0.5, 37) ? -1.0 : 0.95 + 0.05 * std::cos(0.3 * t + seed);
    }
    if (!bodies.empty() && firstBodyForcedOut(t))
        bodies[0].quality = -1.0;
    for (size_t i = 0; i < gripwands.size(); ++i) {
        Target& g = gripwands[i];
        const int seed = 101 + int(i);
        walk(seed, t, 1.6, &g.pose);
        toRoom(&g.pose, m_powerwall);
        g.quality = dropped(seed, t, 0.5, 41) ? -1.0 : 1.0;
        g.buttons = 0;
        for (int j = 0; j < 4; ++j)
            if (std::sin(0.7 * t + 1.3 * j + seed) > 0.85)
                g.buttons |= 1u << j;
        g.controllers[0] = std::round(80.0 * std::sin(0.9 * t + seed)) / 100.0;
        g.controllers[1] = std::round(80.0 * std::cos(0.6 * t + seed)) / 100.0;
    }
    for (size_t i = 0; i < tools.size(); ++i) {
        Target& m = tools[i];
        const int seed = 201 + int(i);
        walk(seed, t, 0.8, &m.pose);
        toRoom(&m.pose, m_powerwall);
        m.quality = dropped(seed, t, 0.5, 43) ? -1.0 : 1.0;
        m.buttons = std::sin(0.5 * t + seed) > 0.9 ? 1u : 0u;
    }
    for (size_t i = 0; i < references.size(); ++i) {
        Target& r = references[i];
        const int seed = 301 + int(i);
        r.pose.position[0] = -600.0 + 400.0 * double(i);
        r.pose.position[1] = 900.0;
        r.pose.position[2] = 750.0 + 0.05 * std::sin(13.0 * t + seed); // sits on a table; the noise is the tracker's
        rotation(0.3 * double(i), 0.0, 0.0, r.pose.rotation);
        toRoom(&r.pose, m_powerwall);
        r.quality = dropped(seed, t, 1.0, 61) ? -1.0 : 1.0;
    }
    // Fresh ids each frame, as a Controller that cannot match markers between
    // frames sends them.
    const int idBase = markerIdChurn ? 1 + int(markers.size()) * int(m_updates++ % 1000U) : 1;
    for (size_t i = 0; i < markers.size(); ++i) {
        Marker& m = markers[i];
        m.id = idBase + int(i);
        const double s = double(i) + 1.0;
        const double radius = 300.0 + 1200.0 * std::fabs(std::sin(s * 1.3));
        const double a = 0.2 * t * (1.0 + 0.1 * double(i % 7)) + s;
        Pose p;
        p.position[0] = radius * std::cos(a);
        p.position[1] = radius * std::sin(a);
        p.position[2] = 600.0 + 900.0 * std::fabs(std::sin(0.1 * t + s));
        toRoom(&p, m_powerwall);
        for (int k = 0; k < 3; ++k)
            m.position[k] = p.position[k];
        m.quality = dropped(int(i) + 501, t, 0.4, 13) ? -1.0 : 1.0;
        if (m.quality < 0)
            m.position[0] = m.position[1] = m.position[2] = 0.0;
    }
    for (size_t i = 0; i < hands.size(); ++i) {
        Hand& h = hands[i];
        const int seed = 401 + int(i);
        h.side = int(i % 2);
        walk(seed, t, 1.2, &h.pose);
        h.quality = dropped(seed, t, 0.5, 31) ? -1.0 : 1.0;
        for (int f = 0; f < fingersPerHand; ++f) {
            const double bend = 0.6 + 0.4 * std::sin(1.1 * t + f + seed);
            const double local[3] = {90.0 + 5.0 * f, -35.0 + 30.0 * f, -20.0 * bend};
            double offset[3];
            rotate(h.pose.rotation, local, offset);
            for (int k = 0; k < 3; ++k)
                h.fingers[f].position[k] = h.pose.position[k] + offset[k];
            for (int k = 0; k < 9; ++k)
                h.fingers[f].rotation[k] = h.pose.rotation[k];
            const double values[6] = {8.0, 45.0 * bend, 30.0 * bend, 42.0, 28.0, 20.0};
            for (int k = 0; k < 6; ++k)
                h.fingerValues[f][k] = values[k];
            toRoom(&h.fingers[f], m_powerwall);
        }
        toRoom(&h.pose, m_powerwall);
    }
    for (size_t i = 0; i < inertials.size(); ++i) {
        Inertial& s = inertials[i];
        const int seed = 601 + int(i);
        walk(seed, t, 1.0, &s.pose);
        toRoom(&s.pose, m_powerwall);
        s.state = 2;
        s.quality = 0.95;
    }
}

bool SimMotion::firstBodyForcedOut(double t) const
{
    if (dropBodyMs <= 0 || dropBodyEverySec <= 0)
        return false;
    // Whole microseconds: t is a frame number divided by the rate, and the
    // window's edges must not flicker with the rounding of that division.
    const long long us = std::llround(t * 1e6);
    const long long period = 1000000LL * dropBodyEverySec;
    return us >= period && us % period < 1000LL * dropBodyMs;
}

int SimMotion::bodyId(int index) const
{
    return lastBodyId >= 0 && index == int(bodies.size()) - 1 ? lastBodyId : index;
}

int SimMotion::trackedBodies() const
{
    int n = 0;
    for (const Target& b : bodies)
        n += b.quality >= 0 ? 1 : 0;
    return n;
}

int SimMotion::trackedMarkers() const
{
    int n = 0;
    for (const Marker& m : markers)
        n += m.quality >= 0 ? 1 : 0;
    return n;
}

SimMotion::Pose SimMotion::cameraPose(int index, int count, bool powerwall)
{
    Pose pose;
    const double angle = kPi / 4.0 + 2.0 * kPi * double(index) / double(count > 0 ? count : 1);
    const double radius = 2828.0; // the corners of a 4 m square
    pose.position[0] = radius * std::cos(angle);
    pose.position[1] = radius * std::sin(angle);
    pose.position[2] = 2800.0;
    const double centre[3] = {0.0, 0.0, 1000.0};
    double f[3] = {centre[0] - pose.position[0], centre[1] - pose.position[1], centre[2] - pose.position[2]};
    normalise(f);
    const double up[3] = {0.0, 0.0, 1.0};
    const double z[3] = {-f[0], -f[1], -f[2]};
    double x[3], y[3];
    cross(up, z, x);
    normalise(x);
    cross(z, x, y);
    for (int k = 0; k < 3; ++k) {
        pose.rotation[k] = x[k];
        pose.rotation[3 + k] = y[k];
        pose.rotation[6 + k] = z[k];
    }
    toRoom(&pose, powerwall);
    return pose;
}

uint32_t SimMotion::mix(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}
