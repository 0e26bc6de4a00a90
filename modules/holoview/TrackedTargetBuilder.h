#pragma once

#include "DisplaySettingsData.h"
#include "Node.h"
#include "PoseTransformationNode.h"
#include "TrackedFrame.h"

#include <QMap>
#include <QString>

#include <memory>

namespace Logic {
class StaticData;
}

namespace Scenegraph {

class SceneGraph;

// The tracked targets of the scene, under "TrackedTargets": one node per
// target key, created once and then only moved, enabled and disabled, with
// the target's static markers below it. Lives while a measurement runs and
// must go before the scene graph it builds in. GUI thread only.
class TrackedTargetBuilder
{
public:
    explicit TrackedTargetBuilder(SceneGraph *graph,
                                  const Configuration::DisplaySettingsData &display = Configuration::DisplaySettingsData());
    // Detaches "TrackedTargets" and with it every target node.
    ~TrackedTargetBuilder();

    TrackedTargetBuilder(const TrackedTargetBuilder &) = delete;
    TrackedTargetBuilder &operator=(const TrackedTargetBuilder &) = delete;

    // Takes the switches; the target nodes are rebuilt with the next frame.
    void setSettings(const Configuration::DisplaySettingsData &display);
    // Updates the scene with the current frame. The static data must outlive
    // the builder or be replaced first; null means none.
    void setStaticData(const Logic::StaticData *data);
    // Brings the target nodes in step with the frame.
    void setFrame(Logic::TrackedFrame frame);

    const Logic::TrackedFrame &frame() const { return m_frame; }
    bool rebuildPending() const { return m_rebuild; }

    // Registry name of the node of a target key; empty when it has none.
    QString nodeName(int key) const { return m_nodes.value(key); }
    int nodeCount() const { return m_nodes.size(); }

    static constexpr float AxesSize = 100.0f;
    static constexpr float SphereSize = 15.0f;

private:
    void update();
    std::shared_ptr<PoseTransformationNode> createTarget(const QString &name, int kind);
    void addStaticMarkers(Node *target, int kind, int id);

    SceneGraph *m_graph;
    Configuration::DisplaySettingsData m_display;
    const Logic::StaticData *m_staticData = nullptr;
    std::shared_ptr<Node> m_targets;
    Logic::TrackedFrame m_frame;
    QMap<int, QString> m_nodes;
    bool m_rebuild = false;
};

} // namespace Scenegraph
