#pragma once

#include "DisplaySettingsData.h"
#include "LabelNode.h"
#include "MarkerCloud.h"
#include "Node.h"
#include "PoseTransformationNode.h"
#include "TrackedFrame.h"

#include <QString>

#include <map>
#include <memory>
#include <vector>

namespace Logic {
class StaticData;
}

namespace Scenegraph {

class SceneGraph;

// The tracked targets of the scene, under "TrackedTargets": one node per
// target key, created when the target is first tracked and then only moved,
// enabled and disabled, with the target's static markers below it. Their id
// labels hang under "TrackedTargetLabels", hands under "gl_%1". Markers are
// drawn together by "TrackedMarkers", one instanced entity, so that hundreds
// of them and ids renumbered every frame cost no nodes at all. Only while
// marker labels are on does each marker get a node "3d_%1" of its own, for
// its label; such nodes whose ids went away are kept unnamed and disabled and
// reused for new ids. Lives while a measurement runs and must go before the
// scene graph it builds in. GUI thread only.
class TrackedTargetBuilder
{
public:
    explicit TrackedTargetBuilder(SceneGraph *graph,
                                  const Configuration::DisplaySettingsData &display = Configuration::DisplaySettingsData());
    // Detaches "TrackedTargets" and with it every target node.
    ~TrackedTargetBuilder();

    TrackedTargetBuilder(const TrackedTargetBuilder &) = delete;
    TrackedTargetBuilder &operator=(const TrackedTargetBuilder &) = delete;

    // Takes the switches and the room's plane (which way labels stand); the
    // target nodes are rebuilt with the next frame.
    void setSettings(const Configuration::DisplaySettingsData &display, int plane = 0);
    // Updates the scene with the current frame. The static data must outlive
    // the builder or be replaced first; null means none.
    void setStaticData(const Logic::StaticData *data);
    // Brings the target nodes in step with the frame.
    void setFrame(Logic::TrackedFrame frame);

    const Logic::TrackedFrame &frame() const { return m_frame; }
    bool rebuildPending() const { return m_rebuild; }

    // Registry name of the node of a target key; empty when it has none.
    QString nodeName(int key) const;
    int nodeCount() const { return static_cast<int>(m_entries.size()); }
    // Marker nodes kept for reuse.
    int spareMarkerCount() const { return static_cast<int>(m_spareMarkers.size()); }
    // Label nodes kept for reuse.
    int spareLabelCount() const { return static_cast<int>(m_spareLabels.size()); }
    // The markers drawn together; empty while they have nodes of their own.
    const MarkerCloud *markerCloud() const { return m_markerCloud.get(); }
    // Whether markers get a node each (while their labels are on).
    bool markersAsNodes() const { return m_display.trackedMarker3DShowIDs; }
    // Registry name of a hand's node; empty when it has none.
    QString handNodeName(int id) const;

    // How many millimetres a pixel of the view spans about its centre: from
    // across the room a 100 mm cross or a 15 mm marker would be a few pixels,
    // so they grow to their least size on the screen.
    void setMillimetresPerPixel(float millimetres);
    float axesScale() const { return m_axesScale; }
    float markerScale() const { return m_markerScale; }

    static constexpr float AxesSize = 100.0f;
    // The least length of a body's axes and a marker's radius on the screen.
    static constexpr float AxesPixels = 40.0f;
    static constexpr float MarkerPixels = 4.0f;
    static constexpr float SphereSize = 15.0f;
    static constexpr float LabelHeight = 120.0f;
    static constexpr float LabelOffset = 40.0f;
    static constexpr float FingerTipSize = 10.0f;
    // More spare marker nodes than this are dropped.
    static constexpr int MaxSpareMarkers = 1000;

private:
    struct Entry {
        std::shared_ptr<PoseTransformationNode> node;
        std::shared_ptr<LabelNode> label;
        bool enabled = true;
        bool inertial = false;
    };
    struct HandEntry {
        std::shared_ptr<Node> group;
        std::shared_ptr<PoseTransformationNode> palm;
        std::vector<std::shared_ptr<PoseTransformationNode>> tips;
        std::vector<bool> tipShown; // per tip, as last switched
        bool enabled = true;        // the palm's
    };

    void attachParts();
    void update();
    void updateHands();
    bool createEntry(int key, const Logic::TrackedTarget &target, Entry *entry);
    bool reuseSpareMarker(const QString &name, Entry *entry);
    void releaseEntry(int key, Entry &entry);
    void dropEntry(Entry &entry);
    void releaseLabel(std::shared_ptr<LabelNode> &label);
    void dropAll();
    void place(Entry &entry, const Logic::TrackedTarget &target);
    void setEntryEnabled(Entry &entry, bool on);
    bool labelShown(const Logic::TrackedTarget &target) const;
    std::shared_ptr<PoseTransformationNode> createTarget(const QString &name, const Logic::TrackedTarget &target);
    void addStaticMarkers(Node *target, int kind, int id);
    void applyViewScale(int key, const Entry &entry) const;

    SceneGraph *m_graph;
    Configuration::DisplaySettingsData m_display;
    int m_plane = 0;
    const Logic::StaticData *m_staticData = nullptr;
    std::shared_ptr<Node> m_targets;
    std::shared_ptr<Node> m_labels;
    std::shared_ptr<MarkerCloud> m_markerCloud;
    Logic::TrackedFrame m_frame;
    std::map<int, Entry> m_entries;
    std::vector<Entry> m_spareMarkers;
    std::vector<std::shared_ptr<LabelNode>> m_spareLabels;
    std::map<int, HandEntry> m_hands;
    bool m_rebuild = false;
    float m_axesScale = 1.0f;
    float m_markerScale = 1.0f;
};

} // namespace Scenegraph
