#include "WorldBuilder.h"

#include "DisplaySettingsData.h"
#include "SceneGraph.h"
#include "SceneObjects.h"

namespace Scenegraph {

namespace {

const QString kGrid = QStringLiteral("GlobalGrid");
const QString kAxes = QStringLiteral("GlobalCS");

} // namespace

WorldBuilder::WorldBuilder(SceneGraph *graph)
    : m_graph(graph)
    , m_global(std::make_shared<Node>(QStringLiteral("Global")))
    , m_global2D(std::make_shared<Node>(QStringLiteral("Global2D")))
{
    m_graph->appendChild(m_graph->root(), m_global);
    m_graph->appendChild(m_graph->root(), m_global2D);
}

WorldBuilder::~WorldBuilder()
{
    // Only what is still ours: a node that never got into the tree (its name
    // was taken) has no parent to leave.
    if (m_global->parent())
        m_graph->detachFromParent(m_global.get());
    if (m_global2D->parent())
        m_graph->detachFromParent(m_global2D.get());
}

void WorldBuilder::setSettings(const Configuration::DisplaySettingsData &display, int plane)
{
    m_showGrid = display.worldShowGrid;
    m_showCS = display.worldShowCS;
    m_plane = plane;
    m_dirty = true;
    rebuild();
}

void WorldBuilder::rebuild()
{
    if (!m_dirty)
        return;
    if (Node *grid = m_graph->find(kGrid))
        m_graph->detachFromParent(grid);
    if (m_showGrid)
        m_graph->appendChild(m_global.get(), SceneObjects::grid(*m_graph, kGrid, m_plane));

    Node *axes = m_graph->find(kAxes);
    if (!m_showCS) {
        if (axes)
            m_graph->detachFromParent(axes);
    } else if (!axes) {
        m_graph->appendChild(m_global.get(), SceneObjects::coordinateSystem(*m_graph, kAxes, AxesLength, AxesRadius));
    }
    m_dirty = false;
}

} // namespace Scenegraph
