// The tracking-health inputs: the host's status text, frame lines of the
// measurement stream and rows of the daily CSV files. Any bytes give bounded
// values; a row that reads is written back to a row that reads to the same.
#include "FrameCounter.h"
#include "FuzzCheck.h"
#include "HealthCsv.h"
#include "StatusSnapshot.h"

#include <QByteArray>

#include <cstdint>

using namespace Health;

namespace {

void statusText(const QByteArray &bytes)
{
    const StatusSnapshot s = parseStatusSnapshot(bytes);
    FUZZ_CHECK(s.active.isEmpty() || isKnownState(s.active));
    FUZZ_CHECK(s.frequency == -1.0 || s.frequency >= 0.0);
    FUZZ_CHECK(s.bodies >= -1 && s.markers >= -1 && s.framesLost >= -1);
    FUZZ_CHECK(s.rays.size() <= MaxCameras);
    for (const CameraRays &r : s.rays)
        FUZZ_CHECK(r.seen >= -1 && r.used >= -1);
}

void frameLine(const QByteArray &bytes)
{
    // As the data thread hands it over: zero-terminated.
    const QByteArray line(bytes.constData());
    quint32 number = 0;
    if (parseFrameLine(line.constData(), &number))
        FUZZ_CHECK(line.startsWith("fr") && line.contains(QByteArray::number(number)));
}

void csvRowBack(const QByteArray &bytes)
{
    HealthSample sample;
    HealthEvent event;
    bool isEvent = false;
    if (!parseCsvRow(bytes, &sample, &event, &isEvent))
        return;
    const QByteArray row = isEvent ? csvRow(event) : csvRow(sample);
    HealthSample sample2;
    HealthEvent event2;
    bool isEvent2 = !isEvent;
    FUZZ_CHECK(parseCsvRow(row, &sample2, &event2, &isEvent2));
    FUZZ_CHECK(isEvent2 == isEvent);
    FUZZ_CHECK((isEvent ? csvRow(event2) : csvRow(sample2)) == row);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    statusText(bytes);
    frameLine(bytes);
    csvRowBack(bytes);
    return 0;
}
