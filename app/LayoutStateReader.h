#pragma once

#include <QByteArray>

// Walks a main-window state block (the toolkit's save-state format, as kept in
// the layout file) without applying it. The toolkit's own reader trusts every
// count in the block: a line or item count of 0x7fffffff keeps it looping for
// minutes. Here every count is bounded and every field must be there, so a
// damaged block is refused before the toolkit sees it.
class LayoutStateReader
{
public:
    // More docks, tool bars or nesting than any window of ours has.
    static constexpr int MaxItems = 64;
    static constexpr int MaxDepth = 8;
    static constexpr int MaxNameBytes = 1024;

    // True when `state` is a complete block of version `version`, with its
    // dock and tool-bar sections, whose counts are in bounds and which ends
    // exactly where its last field ends.
    static bool wellFormed(const QByteArray &state, int version = 0);
};
