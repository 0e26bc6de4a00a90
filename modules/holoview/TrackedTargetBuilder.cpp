#include "TrackedTargetBuilder.h"

#include "PoseTransformationNode.h"
#include "SceneGraph.h"
#include "SceneObjects.h"
#include "StaticData.h"

#include <QDebug>

namespace Scenegraph {

namespace {

using Logic::TrackedFrame;
using Logic::TrackedTarget;

QString targetName(int kind, int id)
{
    switch (kind) {
    case TrackedTarget::StandardBody:
        return QStringLiteral("6d_%1").arg(id);
    case TrackedTarget::Gripwand:
        return QStringLiteral("6df2_%1").arg(id);
    case TrackedTarget::Marker:
        return QStringLiteral("3d_%1").arg(id);
    default:
        return QStringLiteral("unknown_target_type_%1").arg(id);
    }
}

// Measurement tools and tool references draw under one name per id, so the
// key of one may share its node with the key of the other.
int partnerKey(int key)
{
    const int kind = key / TrackedFrame::KeysPerKind;
    if (kind == TrackedTarget::MeasurementTool)
        return key + TrackedFrame::KeysPerKind;
    if (kind == TrackedTarget::ToolReference)
        return key - TrackedFrame::KeysPerKind;
    return -1;
}

void debugLine(const QString &text)
{
    qDebug().noquote() << text;
}

} // namespace

TrackedTargetBuilder::TrackedTargetBuilder(SceneGraph *graph, const Configuration::DisplaySettingsData &display)
    : m_graph(graph)
    , m_display(display)
    , m_targets(std::make_shared<Node>(QStringLiteral("TrackedTargets")))
{
    m_graph->appendChild(m_graph->root(), m_targets);
}

TrackedTargetBuilder::~TrackedTargetBuilder()
{
    if (m_targets->parent())
        m_graph->detachFromParent(m_targets.get());
}

void TrackedTargetBuilder::setSettings(const Configuration::DisplaySettingsData &display)
{
    m_display = display;
    m_rebuild = true;
}

void TrackedTargetBuilder::setStaticData(const Logic::StaticData *data)
{
    m_staticData = data;
    update();
}

void TrackedTargetBuilder::setFrame(Logic::TrackedFrame frame)
{
    m_frame = std::move(frame);
    update();
    m_rebuild = false;
}

void TrackedTargetBuilder::update()
{
    // Appended while an earlier builder still held the name, the node has no
    // registry entry yet; attach it again once the name is free.
    if (m_graph->find(m_targets->name()) != m_targets.get()) {
        if (m_targets->parent())
            m_graph->detachFromParent(m_targets.get());
        m_graph->appendChild(m_graph->root(), m_targets);
    }

    const TrackedFrame::TargetMap &targets = m_frame.targets();
    for (const auto &entry : targets) {
        const int key = entry.first;
        const TrackedTarget &target = entry.second;
        auto *node = dynamic_cast<PoseTransformationNode *>(m_graph->find(m_nodes.value(key)));
        if (!node || m_rebuild) {
            const int id = TrackedFrame::idOfKey(key);
            const QString name = targetName(target.kind, id);
            if (Node *old = m_graph->find(name))
                m_graph->detachFromParent(old);
            std::shared_ptr<PoseTransformationNode> created = createTarget(name, target.kind);
            m_graph->appendChild(m_targets.get(), created);
            addStaticMarkers(created.get(), target.kind, id);
            m_nodes.insert(key, name);
            node = created.get();
        }
        node->setPose(target.pose);
        m_graph->setEnabled(node, target.state != TrackedTarget::NotTracked);
    }

    for (auto it = m_nodes.begin(); it != m_nodes.end();) {
        if (targets.count(it.key())) {
            ++it;
            continue;
        }
        const QString name = it.value();
        const int partner = partnerKey(it.key());
        it = m_nodes.erase(it);
        // A node the partner key still draws stays.
        if (partner >= 0 && m_nodes.value(partner) == name)
            continue;
        if (Node *gone = m_graph->find(name))
            m_graph->detachFromParent(gone);
    }
}

std::shared_ptr<PoseTransformationNode> TrackedTargetBuilder::createTarget(const QString &name, int kind)
{
    switch (kind) {
    case TrackedTarget::StandardBody:
        if (m_display.trackedBodyShowCOS)
            return SceneObjects::axes(*m_graph, name, AxesSize);
        break;
    case TrackedTarget::Gripwand:
        if (m_display.trackedGripwandShowCOS)
            return SceneObjects::axes(*m_graph, name, AxesSize);
        break;
    case TrackedTarget::Marker:
        if (m_display.trackedMarker3DShowSphere)
            return SceneObjects::sphere(*m_graph, name, Material::SkyBlue, SphereSize);
        break;
    default:
        return SceneObjects::axes(*m_graph, name, AxesSize);
    }
    return std::make_shared<PoseTransformationNode>(name);
}

void TrackedTargetBuilder::addStaticMarkers(Node *target, int kind, int id)
{
    if (!m_staticData) {
        debugLine(QStringLiteral("WARNING: no static data available!"));
        return;
    }

    int count = 0;
    const Logic::StaticData::MarkerVector *markers = nullptr;
    QString calName;
    QString markerName;
    int material = 0;
    if (kind == TrackedTarget::StandardBody) {
        if (!m_display.trackedBodyShowMarkers)
            return;
        count = m_staticData->numberOfStandardBodies();
        if (id < 0 || id >= count) {
            debugLine(QStringLiteral("WARNING: no static data for body markers available! bodyId = %1 numBodies = %2")
                          .arg(id)
                          .arg(count));
            return;
        }
        markers = m_staticData->standardBodyMarkers(id + 1);
        calName = QStringLiteral("bodyCal_%1");
        markerName = QStringLiteral("body_%1_marker_%2");
        material = Material::LightGrey;
    } else if (kind == TrackedTarget::Gripwand) {
        if (!m_display.trackedGripwandShowMarkers)
            return;
        count = m_staticData->numberOfGripwands();
        if (id < 0 || id >= count) {
            debugLine(QStringLiteral("WARNING: no static data for body markers available! gripwandId = %1 "
                                     "numGripwands = %2")
                          .arg(id)
                          .arg(count));
            return;
        }
        markers = m_staticData->gripwandMarkers(id + 1);
        calName = QStringLiteral("gripwandCal_%1");
        markerName = QStringLiteral("gripwand_%1_marker_%2");
        material = Material::StandardGreen;
    } else {
        return;
    }

    auto calibration = std::make_shared<Node>(calName.arg(id));
    m_graph->appendChild(target, calibration);
    if (!markers)
        return;
    for (size_t m = 0; m < markers->size(); ++m) {
        const Logic::StaticData::Marker &position = (*markers)[m];
        auto marker = SceneObjects::sphere(*m_graph, markerName.arg(id).arg(static_cast<int>(m)), material, SphereSize);
        marker->setPose({position[0], position[1], position[2], 1, 0, 0, 0, 1, 0, 0, 0, 1});
        m_graph->appendChild(calibration.get(), marker);
    }
}

} // namespace Scenegraph
