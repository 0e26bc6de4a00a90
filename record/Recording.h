#pragma once

#include "ChannelRecord.h"
#include "RecordingHeader.h"

#include <vector>

// A recording read back: its header and its records in the order of their times.
struct Recording
{
    RecordingHeader header;
    std::vector<ChannelRecord> records;
};
