#pragma once

#include "Node.h"

#include <memory>

namespace Configuration {
class DisplaySettingsData;
}

namespace Scenegraph {

class SceneGraph;

// The world part of the scene: the floor grid "GlobalGrid" and the global
// axes "GlobalCS" under "Global", next to the overlay node "Global2D".
// Must go before the scene graph it builds in. GUI thread only.
class WorldBuilder
{
public:
    explicit WorldBuilder(SceneGraph *graph);
    ~WorldBuilder();

    WorldBuilder(const WorldBuilder &) = delete;
    WorldBuilder &operator=(const WorldBuilder &) = delete;

    // Takes the grid and axes switches and the plane, and rebuilds at once.
    void setSettings(const Configuration::DisplaySettingsData &display, int plane);

    static constexpr float AxesLength = 400.0f;
    static constexpr float AxesRadius = 6.0f;

private:
    void rebuild();

    SceneGraph *m_graph;
    std::shared_ptr<Node> m_global;
    std::shared_ptr<Node> m_global2D;
    bool m_showGrid = true;
    bool m_showCS = true;
    int m_plane = 0;
    bool m_dirty = true;
};

} // namespace Scenegraph
