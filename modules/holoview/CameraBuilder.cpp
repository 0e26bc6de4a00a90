#include "CameraBuilder.h"

#include "Node2D.h"
#include "PoseTransformationNode.h"
#include "SceneGraph.h"
#include "SceneObjects.h"
#include "StaticData.h"

#include <QDebug>

namespace Scenegraph {

namespace {

const QString kWarning = QStringLiteral("RoomCalibrationWarning");

// Puts a node of ours under 'parent' and into the registry. A node that was
// appended while a predecessor still held its name is in the tree without a
// registry entry; once the name is free it is attached again so that it gets
// one.
void attach(SceneGraph *graph, Node *parent, const std::shared_ptr<Node> &node)
{
    if (node->parent() && graph->find(node->name()) == node.get())
        return;
    if (node->parent())
        graph->detachFromParent(node.get());
    graph->appendChild(parent, node);
}

} // namespace

CameraBuilder::CameraBuilder(SceneGraph *graph, const Configuration::DisplaySettingsData &display)
    : m_graph(graph)
    , m_display(display)
    , m_cameras(std::make_shared<Node>(QStringLiteral("Cameras")))
{
    m_graph->appendChild(m_graph->root(), m_cameras);
}

CameraBuilder::~CameraBuilder()
{
    if (m_cameras->parent())
        m_graph->detachFromParent(m_cameras.get());
    if (m_warning && m_warning->parent())
        m_graph->detachFromParent(m_warning.get());
}

void CameraBuilder::setStaticData(const Logic::StaticData *data)
{
    m_staticData = data;
    build(false);
}

void CameraBuilder::setSettings(const Configuration::DisplaySettingsData &display)
{
    m_display = display;
    build(true);
}

void CameraBuilder::build(bool settingsRebuild)
{
    attach(m_graph, m_graph->root(), m_cameras);
    const int count = m_staticData ? m_staticData->numberOfCameras() : 0;
    for (int i = 0; i < count; ++i) {
        const Logic::StaticData::CameraPose *pose = m_staticData->cameraPose(i);
        if (!pose)
            continue;
        auto *existing = dynamic_cast<PoseTransformationNode *>(m_graph->find(m_nodes.value(i)));
        if (existing && !settingsRebuild) {
            existing->setPose(*pose);
            continue;
        }
        const QString name = QStringLiteral("camera_%1").arg(i);
        if (Node *old = m_graph->find(name))
            m_graph->detachFromParent(old);
        m_nodes.remove(i);
        if (!m_display.cameraShowFrustum)
            continue;
        auto camera = std::make_shared<PoseTransformationNode>(name);
        m_graph->appendChild(camera.get(), SceneObjects::frustum(*m_graph, name + QStringLiteral("_frustum")));
        m_graph->appendChild(m_cameras.get(), camera);
        m_nodes.insert(i, name);
        camera->setPose(*pose);
    }

    // Cameras that left the list (fewer calibrated ones than before) would
    // otherwise hang on at their old places.
    for (auto it = m_nodes.begin(); it != m_nodes.end();) {
        if (it.key() < count) {
            ++it;
            continue;
        }
        if (Node *stale = m_graph->find(it.value()))
            m_graph->detachFromParent(stale);
        it = m_nodes.erase(it);
    }

    updateWarning();
}

void CameraBuilder::updateWarning()
{
    const bool missing = m_staticData && !m_staticData->allCamerasCalibrated();
    if (missing)
        qDebug().noquote() << QStringLiteral("WARNING: some cameras have no room calibration!");
    if (!m_warning) {
        if (!missing)
            return;
        m_warning = std::make_shared<Node2D>(kWarning);
    }
    attach(m_graph, m_graph->root(), m_warning);
    m_graph->setEnabled(m_warning.get(), missing);
}

} // namespace Scenegraph
