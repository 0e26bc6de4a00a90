// The measurement data path: a datagram as the data thread receives it, cut
// into lines and handed out by the channel, each line parsed and the frame
// digested as the 3D monitor does. Whatever arrives, the records stay within
// their limits and every target of the frame has a finite pose and a key of
// its own kind.
#include "FuzzCheck.h"
#include "IOManagerUdpTcp.h"
#include "QuorixParser.h"
#include "Requester.h"
#include "TrackedFrame.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using Logic::TrackedFrame;
using Logic::TrackedTarget;

const char *const Keys[] = {"fr", "ts", "6dcal", "6d", "6df", "6df2", "6dmt", "6dmt2",
                            "6dmtr", "glcal", "gl", "6dj", "6di", "3d"};

class FrameSink : public Requester
{
public:
    int onData(const char *, const char *line) override
    {
        const size_t before = std::strlen(line);
        if (parser.parseCopy(line, buffer, sizeof buffer))
            frame.digest(parser);
        // Every listener of the key gets the same line: parsing works on a copy.
        FUZZ_CHECK(std::strlen(line) == before);
        check();
        return 0;
    }
    void onMeasurementStarted() override {}
    void onMeasurementStopped() override {}

    void check() const
    {
        const int counts[] = {parser.bodyCount(), parser.gripwandCount(), parser.measurementToolCount(),
                              parser.toolReferenceCount(), parser.handCount(), parser.humanModelCount(),
                              parser.inertialBodyCount(), parser.markerCount()};
        for (int n : counts)
            FUZZ_CHECK(n >= 0 && n <= QuorixParser::MaxTargets);
        // Only the body records the last line wrote may be set: readers skip
        // the others without looking.
        std::vector<bool> written(size_t(parser.bodyCount()), false);
        for (int id : parser.bodyIdsOfLine()) {
            if (id < parser.bodyCount())
                written[size_t(id)] = true;
        }
        for (int i = 0; i < parser.bodyCount(); ++i)
            FUZZ_CHECK(written[size_t(i)] || (parser.body(i)->id == i && parser.body(i)->quality == -1.0));
        for (int i = 0; i < parser.handCount(); ++i) {
            const QuorixParser::HandRecord *hand = parser.hand(i);
            FUZZ_CHECK(hand && hand->numFingers >= 0 && hand->numFingers <= QuorixParser::MaxFingers);
        }
        for (int i = 0; i < parser.humanModelCount(); ++i) {
            const QuorixParser::HumanModelRecord *model = parser.humanModel(i);
            FUZZ_CHECK(model && model->numJoints >= 0 && model->numJoints <= QuorixParser::MaxJoints);
        }
        for (int i = 0; i < parser.gripwandCount(); ++i) {
            const QuorixParser::GripwandRecord *wand = parser.gripwand(i);
            FUZZ_CHECK(wand->numButtons >= 0 && wand->numButtons <= QuorixParser::ButtonSlots);
            FUZZ_CHECK(wand->numControllers >= 0 && wand->numControllers <= QuorixParser::ControllerSlots);
        }
        for (int i = 0; i < parser.measurementToolCount(); ++i) {
            const QuorixParser::MeasurementToolRecord *tool = parser.measurementTool(i);
            FUZZ_CHECK(tool->numButtons >= 0 && tool->numButtons <= QuorixParser::ButtonSlots);
        }
        FUZZ_CHECK(frame.targets().size() <= size_t(8 * QuorixParser::MaxTargets));
        for (const auto &entry : frame.targets()) {
            const int key = entry.first;
            const TrackedTarget &target = entry.second;
            FUZZ_CHECK(key >= 0);
            FUZZ_CHECK(TrackedFrame::key(target.kind, TrackedFrame::idOfKey(key)) == key);
            FUZZ_CHECK(target.state >= TrackedTarget::NotTracked && target.state <= TrackedTarget::FullPose);
            for (double v : target.pose)
                FUZZ_CHECK(std::isfinite(v));
        }
        FUZZ_CHECK(!std::isnan(frame.timeStamp()));
    }

    QuorixParser parser;
    TrackedFrame frame;
    char buffer[QuorixParser::LineBufferSize];
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static auto *channel = new IOManagerUdpTcp(nullptr);
    if (size > size_t(IOManagerUdpTcp::DataBufferSize))
        return 0;   // the data thread does not take larger datagrams
    FrameSink sink;
    for (const char *key : Keys)
        channel->addDataListener(key, &sink);
    // As the data thread holds it: the datagram, then a zero byte.
    std::vector<char> datagram(data, data + size);
    datagram.push_back('\0');
    channel->dispatchDatagram(datagram.data());
    for (const char *key : Keys)
        channel->removeDataListener(key, &sink);
    sink.check();
    return 0;
}
