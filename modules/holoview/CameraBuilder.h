#pragma once

#include "DisplaySettingsData.h"
#include "LabelNode.h"
#include "Node.h"

#include <QMap>
#include <QString>

#include <memory>

#include "StaticData.h"

namespace Scenegraph {

class SceneGraph;

// The cameras of the scene: one node "camera_%1" per calibrated camera (by
// its place in the static data's camera list) holding its frustum, all under
// "Cameras", with a label "camera_%1_label" showing the Controller's camera
// number beside it, and the overlay node "RoomCalibrationWarning". Must go before
// the scene graph it builds in; a replacement made before its predecessor is
// deleted takes over the node names with its first build. GUI thread only.
class CameraBuilder
{
public:
    // The settings are only stored; the first build comes with the static data.
    explicit CameraBuilder(SceneGraph *graph,
                           const Configuration::DisplaySettingsData &display = Configuration::DisplaySettingsData());
    ~CameraBuilder();

    CameraBuilder(const CameraBuilder &) = delete;
    CameraBuilder &operator=(const CameraBuilder &) = delete;

    // Moves the camera nodes there are and creates the missing ones. The
    // static data must outlive the builder or be replaced first.
    void setStaticData(const Logic::StaticData *data);
    // Rebuilds every camera node; 'plane' says which way labels stand.
    void setSettings(const Configuration::DisplaySettingsData &display, int plane = 0);

    // Registry name of the node of camera list index i; empty when it has none.
    QString nodeName(int index) const { return m_nodes.value(index); }
    int nodeCount() const { return m_nodes.size(); }

    static constexpr float LabelHeight = 300.0f;

private:
    void build(bool settingsRebuild);
    void updateWarning();
    void updateLabel(int index, const Logic::StaticData::CameraPose &pose);
    void dropLabel(int index);

    SceneGraph *m_graph;
    Configuration::DisplaySettingsData m_display;
    int m_plane = 0;
    const Logic::StaticData *m_staticData = nullptr;
    std::shared_ptr<Node> m_cameras;
    std::shared_ptr<Node> m_warning;
    QMap<int, QString> m_nodes;
    QMap<int, std::shared_ptr<LabelNode>> m_labels;
};

} // namespace Scenegraph
