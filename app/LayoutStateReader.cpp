#include "LayoutStateReader.h"

#include <QtEndian>

namespace {

// Markers of the toolkit's format.
constexpr qint32 VersionMarker = 0xff;   // the only marker written as a whole int
constexpr quint8 ToolBarMarker = 0xfe;
constexpr quint8 ToolBarMarkerEx = 0xfc;
constexpr quint8 DockMarker = 0xfd;
constexpr quint8 FloatingTabsMarker = 0xf9;
constexpr quint8 SequenceMarker = 0xfc;
constexpr quint8 TabMarker = 0xfa;
constexpr quint8 WidgetMarker = 0xfb;

constexpr int AreaCount = 4;   // left, right, top, bottom

class Cursor
{
public:
    explicit Cursor(const QByteArray &bytes) : m_data(bytes.constData()), m_left(bytes.size()) {}

    bool atEnd() const { return m_left == 0; }
    bool byte(quint8 *value)
    {
        if (m_left < 1)
            return false;
        *value = quint8(*m_data);
        skipRaw(1);
        return true;
    }
    bool int32(qint32 *value)
    {
        if (m_left < 4)
            return false;
        *value = qFromBigEndian<qint32>(m_data);
        skipRaw(4);
        return true;
    }
    bool ints(int n)
    {
        qint32 ignored;
        for (int i = 0; i < n; ++i)
            if (!int32(&ignored))
                return false;
        return true;
    }
    // A count that must lie in [0, max].
    bool count(int max, qint32 *value) { return int32(value) && *value >= 0 && *value <= max; }
    // A string: byte length (0xffffffff for a null string), then UTF-16.
    bool string()
    {
        qint32 length;
        if (!int32(&length))
            return false;
        if (length == -1)
            return true;
        if (length < 0 || length % 2 || length > LayoutStateReader::MaxNameBytes || length > m_left)
            return false;
        skipRaw(length);
        return true;
    }

private:
    void skipRaw(int n)
    {
        m_data += n;
        m_left -= n;
    }

    const char *m_data;
    int m_left;
};

bool dockInfo(Cursor &in, int depth)
{
    if (depth > LayoutStateReader::MaxDepth)
        return false;
    quint8 marker;
    if (!in.byte(&marker) || (marker != SequenceMarker && marker != TabMarker))
        return false;
    if (marker == TabMarker && !in.ints(1))   // the current tab
        return false;
    quint8 orientation;
    qint32 items;
    if (!in.byte(&orientation) || (orientation != Qt::Horizontal && orientation != Qt::Vertical)
        || !in.count(LayoutStateReader::MaxItems, &items))
        return false;
    for (int i = 0; i < items; ++i) {
        quint8 kind;
        if (!in.byte(&kind))
            return false;
        if (kind == WidgetMarker) {
            quint8 flags;
            // Name, flags, then a floating rectangle or position, size and limits.
            if (!in.string() || !in.byte(&flags) || !in.ints(4))
                return false;
        } else if (kind == SequenceMarker) {
            if (!in.ints(4) || !dockInfo(in, depth + 1))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

bool docks(Cursor &in)
{
    qint32 areas;
    if (!in.count(AreaCount, &areas))
        return false;
    bool seen[AreaCount] = {};
    for (int i = 0; i < areas; ++i) {
        qint32 area;
        if (!in.int32(&area) || area < 0 || area >= AreaCount || seen[area])
            return false;
        seen[area] = true;
        if (!in.ints(2) || !dockInfo(in, 0))   // the area's size, then its docks
            return false;
    }
    // The central widget's size, then which area owns each corner.
    if (!in.ints(2))
        return false;
    for (int corner = 0; corner < 4; ++corner) {
        qint32 area;
        if (!in.int32(&area) || (area != Qt::LeftDockWidgetArea && area != Qt::RightDockWidgetArea
                                 && area != Qt::TopDockWidgetArea && area != Qt::BottomDockWidgetArea))
            return false;
    }
    return true;
}

bool toolBars(Cursor &in, quint8 marker)
{
    qint32 lines;
    if (!in.count(LayoutStateReader::MaxItems, &lines))
        return false;
    for (int line = 0; line < lines; ++line) {
        qint32 area;
        qint32 items;
        if (!in.int32(&area) || area < 0 || area >= AreaCount || !in.count(LayoutStateReader::MaxItems, &items))
            return false;
        for (int i = 0; i < items; ++i) {
            quint8 shown;
            // Name, shown and orientation, position, size, packed geometry.
            if (!in.string() || !in.byte(&shown) || !in.ints(marker == ToolBarMarkerEx ? 4 : 3))
                return false;
        }
    }
    return true;
}

} // namespace

bool LayoutStateReader::wellFormed(const QByteArray &state, int version)
{
    Cursor in(state);
    qint32 versionMarker;
    qint32 stateVersion;
    if (!in.int32(&versionMarker) || versionMarker != VersionMarker || !in.int32(&stateVersion)
        || stateVersion != version)
        return false;
    quint8 marker;
    // Each section at most once, in any order the toolkit may write them.
    bool dockSeen = false;
    bool toolBarSeen = false;
    int floatingGroups = 0;
    while (!in.atEnd()) {
        if (!in.byte(&marker))
            return false;
        if (marker == DockMarker && !dockSeen) {
            dockSeen = true;
            if (!docks(in))
                return false;
        } else if ((marker == ToolBarMarker || marker == ToolBarMarkerEx) && !toolBarSeen) {
            toolBarSeen = true;
            if (!toolBars(in, marker))
                return false;
        } else if (marker == FloatingTabsMarker && ++floatingGroups <= MaxItems) {
            // A floating group of tabbed docks: its rectangle, then its docks.
            if (!in.ints(4) || !dockInfo(in, 0))
                return false;
        } else {
            return false;
        }
    }
    // The toolkit always writes both; a block cut between them is not whole.
    return dockSeen && toolBarSeen;
}
