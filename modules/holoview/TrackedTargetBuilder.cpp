#include "TrackedTargetBuilder.h"

#include "PoseTransformationNode.h"
#include "SceneGraph.h"
#include "SceneObjects.h"
#include "StaticData.h"

#include <QByteArray>
#include <QColor>
#include <QDebug>

#include <algorithm>
#include <utility>

namespace Scenegraph {

namespace {

using Logic::TrackedFrame;
using Logic::TrackedHand;
using Logic::TrackedTarget;

QString targetName(const TrackedTarget &target, int id)
{
    switch (target.kind) {
    case TrackedTarget::StandardBody:
        return (target.inertial ? QStringLiteral("6di_%1") : QStringLiteral("6d_%1")).arg(id);
    case TrackedTarget::Gripwand:
        return QStringLiteral("6df2_%1").arg(id);
    case TrackedTarget::MeasurementTool:
        return QStringLiteral("6dmt_%1").arg(id);
    case TrackedTarget::ToolReference:
        return QStringLiteral("6dmtr_%1").arg(id);
    case TrackedTarget::Marker:
        return QStringLiteral("3d_%1").arg(id);
    default:
        return QStringLiteral("unknown_target_type_%1").arg(id);
    }
}

// Bodies and markers show their bare id; the other families a letter before
// it, so that gripwand 1 and body 1 side by side can be told apart.
QString labelText(const TrackedTarget &target, int id)
{
    const QString number = QString::number(id);
    switch (target.kind) {
    case TrackedTarget::StandardBody:
        return target.inertial ? QStringLiteral("I") + number : number;
    case TrackedTarget::Gripwand:
        return QStringLiteral("G") + number;
    case TrackedTarget::MeasurementTool:
        return QStringLiteral("T") + number;
    case TrackedTarget::ToolReference:
        return QStringLiteral("R") + number;
    default:
        return number;
    }
}

QString labelName(const QString &nodeName)
{
    return nodeName + QStringLiteral("_label");
}

// The colour marker spheres have always had: the sky-blue material's.
QColor markerColour(const SceneGraph &graph)
{
    const Qt3DExtras::QPhongMaterial *material = graph.material(Material::SkyBlue);
    return material ? material->ambient() : QColor::fromRgbF(0.0, 0.75, 1.0);
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
    , m_labels(std::make_shared<Node>(QStringLiteral("TrackedTargetLabels")))
    , m_markerCloud(std::make_shared<MarkerCloud>(graph->markerEffect(), QStringLiteral("TrackedMarkers"), markerColour(*graph), SphereSize))
{
    m_graph->appendChild(m_graph->root(), m_targets);
    m_graph->appendChild(m_graph->root(), m_labels);
    m_graph->appendChild(m_graph->root(), m_markerCloud);
}

TrackedTargetBuilder::~TrackedTargetBuilder()
{
    // Hands hang under m_targets and go with it.
    if (m_labels->parent())
        m_graph->detachFromParent(m_labels.get());
    if (m_markerCloud->parent())
        m_graph->detachFromParent(m_markerCloud.get());
    if (m_targets->parent())
        m_graph->detachFromParent(m_targets.get());
}

void TrackedTargetBuilder::setSettings(const Configuration::DisplaySettingsData &display, int plane)
{
    m_display = display;
    m_plane = plane;
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

QString TrackedTargetBuilder::nodeName(int key) const
{
    const auto it = m_entries.find(key);
    return it == m_entries.end() ? QString() : it->second.node->name();
}

QString TrackedTargetBuilder::handNodeName(int id) const
{
    const auto it = m_hands.find(id);
    return it == m_hands.end() ? QString() : it->second.group->name();
}

void TrackedTargetBuilder::attachParts()
{
    // Appended while an earlier builder still held the name, a part has no
    // registry entry yet; attach it again once the name is free.
    for (const std::shared_ptr<Node> &part : {m_targets, m_labels, std::shared_ptr<Node>(m_markerCloud)}) {
        if (m_graph->find(part->name()) == part.get())
            continue;
        if (part->parent())
            m_graph->detachFromParent(part.get());
        m_graph->appendChild(m_graph->root(), part);
    }
}

void TrackedTargetBuilder::update()
{
    attachParts();
    if (m_rebuild)
        dropAll();

    // The frame and the entries are both ordered by key: one pass finds the
    // targets to move and the entries whose targets left.
    const TrackedFrame::TargetMap &targets = m_frame.targets();
    const bool markerCloud = !markersAsNodes();
    QByteArray markerPositions; // three floats per marker drawn
    auto entry = m_entries.begin();
    for (const auto &item : targets) {
        const int key = item.first;
        const TrackedTarget &target = item.second;
        while (entry != m_entries.end() && entry->first < key) {
            releaseEntry(entry->first, entry->second);
            entry = m_entries.erase(entry);
        }
        const bool tracked = target.state != TrackedTarget::NotTracked;
        if (markerCloud && target.kind == TrackedTarget::Marker) {
            if (tracked && m_display.trackedMarker3DShowSphere) {
                const float xyz[3] = {static_cast<float>(target.pose[0]), static_cast<float>(target.pose[1]),
                                      static_cast<float>(target.pose[2])};
                markerPositions.append(reinterpret_cast<const char *>(xyz), static_cast<int>(sizeof xyz));
            }
            continue;
        }
        const bool hidden = target.inertial && !m_display.trackedInertialShow;
        if (entry != m_entries.end() && entry->first == key) {
            // An inertial sensor taking over an optical body's id, or the
            // other way round, draws differently: make its node anew.
            if (entry->second.inertial != target.inertial || hidden) {
                releaseEntry(key, entry->second);
                entry = m_entries.erase(entry);
            }
        }
        if (entry == m_entries.end() || entry->first != key) {
            // A target never tracked has nothing to show: no node until it is.
            if (!tracked || hidden)
                continue;
            Entry created;
            if (!createEntry(key, target, &created))
                continue;
            entry = m_entries.emplace_hint(entry, key, std::move(created));
        }
        if (tracked)
            place(entry->second, target);
        setEntryEnabled(entry->second, tracked);
        ++entry;
    }
    while (entry != m_entries.end()) {
        releaseEntry(entry->first, entry->second);
        entry = m_entries.erase(entry);
    }
    // Spares released by this update and not taken again are still shown:
    // hide them now. Hiding them on release would cost a disable and an
    // enable for every node reused in the same update.
    for (Entry &spare : m_spareMarkers) {
        if (!spare.enabled)
            continue;
        setEntryEnabled(spare, false);
        m_graph->renameNode(spare.node.get(), QString());
        if (spare.label)
            m_graph->renameNode(spare.label.get(), QString());
    }
    m_markerCloud->setPositions(std::move(markerPositions));

    updateHands();
}

bool TrackedTargetBuilder::createEntry(int key, const TrackedTarget &target, Entry *entry)
{
    const int id = TrackedFrame::idOfKey(key);
    const QString name = targetName(target, id);
    entry->inertial = target.inertial;
    if (target.kind != TrackedTarget::Marker || !reuseSpareMarker(name, entry)) {
        if (Node *old = m_graph->find(name))
            m_graph->detachFromParent(old);
        entry->node = createTarget(name, target);
        m_graph->appendChild(m_targets.get(), entry->node);
        if (!target.inertial)
            addStaticMarkers(entry->node.get(), target.kind, id);
        entry->enabled = true;
    }
    if (labelShown(target)) {
        const QString text = labelText(target, id);
        if (!entry->label && !m_spareLabels.empty()) {
            // The label that showed this text before, if it is there: after
            // a rebuild every target finds its own picture again.
            auto spare = std::find_if(m_spareLabels.begin(), m_spareLabels.end(),
                                      [&text](const std::shared_ptr<LabelNode> &l) { return l->text() == text; });
            if (spare == m_spareLabels.end())
                spare = m_spareLabels.end() - 1;
            entry->label = std::move(*spare);
            m_spareLabels.erase(spare);
            if (Node *old = m_graph->find(labelName(name)))
                m_graph->detachFromParent(old);
            m_graph->setEnabled(entry->label.get(), entry->enabled);
        }
        if (entry->label) {
            entry->label->setText(text);
            m_graph->renameNode(entry->label.get(), labelName(name));
        } else {
            if (Node *old = m_graph->find(labelName(name)))
                m_graph->detachFromParent(old);
            entry->label = std::make_shared<LabelNode>(m_graph->labelEffect(), labelName(name), text, LabelHeight, QColor(Qt::white));
            m_graph->appendChild(m_labels.get(), entry->label);
            m_graph->setEnabled(entry->label.get(), entry->enabled);
        }
    } else if (entry->label) {
        releaseLabel(entry->label);
    }
    applyViewScale(key, *entry);
    return entry->node != nullptr;
}

bool TrackedTargetBuilder::reuseSpareMarker(const QString &name, Entry *entry)
{
    // A spare released by this update still has its old name; the rename
    // moves it in one step.
    if (m_spareMarkers.empty() || !m_graph->renameNode(m_spareMarkers.back().node.get(), name))
        return false;
    *entry = std::move(m_spareMarkers.back());
    m_spareMarkers.pop_back();
    return true;
}

void TrackedTargetBuilder::releaseEntry(int key, Entry &entry)
{
    // A marker's node is kept for the next new marker id: markers look alike.
    if (key / TrackedFrame::KeysPerKind >= TrackedTarget::Marker
        && static_cast<int>(m_spareMarkers.size()) < MaxSpareMarkers) {
        if (!entry.enabled) {
            m_graph->renameNode(entry.node.get(), QString());
            if (entry.label)
                m_graph->renameNode(entry.label.get(), QString());
        }
        m_spareMarkers.push_back(std::move(entry));
        return;
    }
    dropEntry(entry);
}

void TrackedTargetBuilder::dropEntry(Entry &entry)
{
    if (entry.node && entry.node->parent())
        m_graph->detachFromParent(entry.node.get());
    entry.node.reset();
    if (entry.label)
        releaseLabel(entry.label);
}

void TrackedTargetBuilder::releaseLabel(std::shared_ptr<LabelNode> &label)
{
    // A label is kept, hidden and unnamed, for the next one: switching a
    // display setting rebuilds every target, and labels made and destroyed
    // at that pace are what the renderer must not be left to clean up after.
    if (label->parent() == m_labels.get() && static_cast<int>(m_spareLabels.size()) < MaxSpareMarkers) {
        m_graph->setEnabled(label.get(), false);
        m_graph->renameNode(label.get(), QString());
        m_spareLabels.push_back(std::move(label));
    } else if (label->parent()) {
        m_graph->detachFromParent(label.get());
    }
    label.reset();
}

void TrackedTargetBuilder::dropAll()
{
    for (auto &entry : m_entries)
        dropEntry(entry.second);
    m_entries.clear();
    for (Entry &spare : m_spareMarkers)
        dropEntry(spare);
    m_spareMarkers.clear();
    for (auto &hand : m_hands) {
        if (hand.second.group->parent())
            m_graph->detachFromParent(hand.second.group.get());
    }
    m_hands.clear();
}

void TrackedTargetBuilder::setMillimetresPerPixel(float millimetres)
{
    const float axes = std::max(1.0f, AxesPixels * millimetres / AxesSize);
    const float marker = std::max(1.0f, MarkerPixels * millimetres / SphereSize);
    if (axes == m_axesScale && marker == m_markerScale)
        return;
    m_axesScale = axes;
    m_markerScale = marker;
    for (const auto &item : m_entries)
        applyViewScale(item.first, item.second);
}

void TrackedTargetBuilder::applyViewScale(int key, const Entry &entry) const
{
    if (key / TrackedFrame::KeysPerKind >= TrackedTarget::Marker) {
        if (entry.node)
            entry.node->setScale(SphereSize * m_markerScale);
    } else if (PoseTransformationNode *axes = SceneObjects::axesOf(entry.node.get())) {
        axes->setScale(m_axesScale);
    }
}

void TrackedTargetBuilder::place(Entry &entry, const TrackedTarget &target)
{
    entry.node->setPose(target.pose);
    if (!entry.label)
        return;
    entry.label->placeAbove(target.pose[0], target.pose[1], target.pose[2], LabelOffset, m_plane);
}

void TrackedTargetBuilder::setEntryEnabled(Entry &entry, bool on)
{
    // Enabling walks the subtree: only when the state changes.
    if (entry.enabled == on)
        return;
    entry.enabled = on;
    m_graph->setEnabled(entry.node.get(), on);
    if (entry.label)
        m_graph->setEnabled(entry.label.get(), on);
}

bool TrackedTargetBuilder::labelShown(const TrackedTarget &target) const
{
    switch (target.kind) {
    case TrackedTarget::Gripwand:
        return m_display.trackedGripwandShowIDs;
    case TrackedTarget::Marker:
        return m_display.trackedMarker3DShowIDs;
    default:
        return m_display.trackedBodyShowIDs;
    }
}

void TrackedTargetBuilder::updateHands()
{
    static const TrackedFrame::HandMap none;
    const TrackedFrame::HandMap &hands = m_display.trackedHandShow ? m_frame.hands() : none;
    for (auto it = m_hands.begin(); it != m_hands.end();) {
        if (hands.count(it->first)) {
            ++it;
            continue;
        }
        if (it->second.group->parent())
            m_graph->detachFromParent(it->second.group.get());
        it = m_hands.erase(it);
    }

    for (const auto &item : hands) {
        const TrackedHand &hand = item.second;
        auto found = m_hands.find(hand.id);
        if (found == m_hands.end()) {
            if (!hand.tracked)
                continue;
            // The palm turns with the hand; the tips come in room coordinates
            // and so are its siblings, not its children.
            HandEntry created;
            const QString name = QStringLiteral("gl_%1").arg(hand.id);
            if (Node *old = m_graph->find(name))
                m_graph->detachFromParent(old);
            created.group = std::make_shared<Node>(name);
            created.palm = SceneObjects::axes(*m_graph, name + QStringLiteral("_palm"), AxesSize / 2);
            m_graph->appendChild(created.palm.get(), SceneObjects::sphere(*m_graph, QString(), Material::Green,
                                                                          FingerTipSize * 1.5f));
            m_graph->appendChild(created.group.get(), created.palm);
            for (int f = 0; f < TrackedHand::MaxFingers; ++f) {
                auto tip = SceneObjects::sphere(*m_graph, QStringLiteral("gl_%1_finger_%2").arg(hand.id).arg(f),
                                                Material::StandardGreen, FingerTipSize);
                m_graph->appendChild(created.group.get(), tip);
                created.tips.push_back(tip);
                created.tipShown.push_back(true);
            }
            m_graph->appendChild(m_targets.get(), created.group);
            found = m_hands.emplace(hand.id, std::move(created)).first;
        }
        HandEntry &entry = found->second;
        if (hand.tracked)
            entry.palm->setPose(hand.pose);
        // Enabling walks the subtree: only what changes is switched.
        if (entry.enabled != hand.tracked) {
            entry.enabled = hand.tracked;
            m_graph->setEnabled(entry.palm.get(), hand.tracked);
        }
        for (int f = 0; f < TrackedHand::MaxFingers; ++f) {
            const size_t i = static_cast<size_t>(f);
            const bool shown = hand.tracked && f < hand.fingers;
            if (shown) {
                const auto &tip = hand.tips[i];
                entry.tips[i]->setPose({tip[0], tip[1], tip[2], 1, 0, 0, 0, 1, 0, 0, 0, 1});
            }
            if (entry.tipShown[i] != shown) {
                entry.tipShown[i] = shown;
                m_graph->setEnabled(entry.tips[i].get(), shown);
            }
        }
    }
}

std::shared_ptr<PoseTransformationNode> TrackedTargetBuilder::createTarget(const QString &name,
                                                                           const TrackedTarget &target)
{
    switch (target.kind) {
    case TrackedTarget::StandardBody:
        if (target.inertial)
            return SceneObjects::inertialBody(*m_graph, name);
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
    case TrackedTarget::MeasurementTool:
        return SceneObjects::tool(*m_graph, name);
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
