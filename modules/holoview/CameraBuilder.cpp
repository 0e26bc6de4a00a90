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

void CameraBuilder::setSettings(const Configuration::DisplaySettingsData &display, int plane)
{
    m_display = display;
    m_plane = plane;
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
        updateLabel(i, *pose);
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
    for (int index : m_labels.keys()) {
        if (index >= count)
            dropLabel(index);
    }

    updateWarning();
}

void CameraBuilder::updateLabel(int index, const Logic::StaticData::CameraPose &pose)
{
    // A label that stays is only given its text and place: a settings switch
    // must not make and destroy a texture per camera.
    if (!m_display.cameraShowIDs)
        dropLabel(index);
    if (!m_display.cameraShowIDs)
        return;
    // The number the Controller gives the camera, not its place in our list:
    // uncalibrated cameras leave gaps.
    const QString text = QString::number(m_staticData->cameraNumber(index));
    std::shared_ptr<LabelNode> &label = m_labels[index];
    if (!label) {
        const QString name = QStringLiteral("camera_%1_label").arg(index);
        if (Node *old = m_graph->find(name))
            m_graph->detachFromParent(old);
        label = std::make_shared<LabelNode>(m_graph->labelEffect(), name, text, LabelHeight, QColor(Qt::yellow));
        m_graph->appendChild(m_cameras.get(), label);
    }
    label->setText(text);
    // Beside the frustum's apex, a little above it.
    label->placeAbove(pose[0], pose[1], pose[2], LabelHeight, m_plane);
}

void CameraBuilder::dropLabel(int index)
{
    const auto it = m_labels.find(index);
    if (it == m_labels.end())
        return;
    if (it.value() && it.value()->parent())
        m_graph->detachFromParent(it.value().get());
    m_labels.erase(it);
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
