// The window layout file: one length byte, the geometry block, the state
// block. Any content is split or refused without reading past its end; a split
// file joins back to the same bytes; a geometry block the toolkit would write
// gives back the frame it holds; a state block is walked without reading past
// its end, and one taken as whole is no longer whole with its last byte cut.
#include "FuzzCheck.h"
#include "LayoutStateReader.h"
#include "WindowLayout.h"

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <QRect>

#include <cstdint>
#include <cstring>

namespace {

struct Input
{
    const uint8_t *data;
    size_t size;
    size_t at = 0;

    template <typename T>
    T value()
    {
        uint8_t raw[sizeof(T)] = {};
        for (uint8_t &b : raw)
            b = at < size ? data[at++] : 0;
        T v;
        std::memcpy(&v, raw, sizeof v);
        return v;
    }
    QRect rect() { return QRect(value<qint16>(), value<qint16>(), value<qint16>(), value<qint16>()); }
};

// A geometry block as the toolkit writes it (format 3).
QByteArray geometryBlock(const QRect &frame, const QRect &normal, bool maximized, bool fullScreen)
{
    QByteArray block;
    QDataStream stream(&block, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_4_0);
    stream << quint32(0x1D9D0CB) << quint16(3) << quint16(0) << frame << normal << qint32(0)
           << quint8(maximized) << quint8(fullScreen) << qint32(1920) << normal;
    return block;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), int(size));
    const QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};

    QByteArray geometry;
    QByteArray state;
    if (WindowLayout::splitFile(content, &geometry, &state)) {
        FUZZ_CHECK(!state.isEmpty() && geometry.size() <= 255);
        FUZZ_CHECK(WindowLayout::joinFile(geometry, state) == content);
        QRect frame;
        if (WindowLayout::geometryFrame(geometry, &frame)) {
            FUZZ_CHECK(frame.isValid());
            WindowLayout::onScreens(frame, screens);
        }
    }
    if (LayoutStateReader::wellFormed(content))
        FUZZ_CHECK(!LayoutStateReader::wellFormed(content.chopped(1)));

    Input in{data, size};
    const QRect frame = in.rect();
    const QRect normal = in.rect();
    const uint8_t flags = in.value<uint8_t>();
    const bool maximized = flags & 1;
    const bool fullScreen = flags & 2;
    const QByteArray block = geometryBlock(frame, normal, maximized, fullScreen);
    QRect read;
    const QRect expected = (maximized || fullScreen) ? normal : frame;
    FUZZ_CHECK(WindowLayout::geometryFrame(block, &read) == expected.isValid());
    if (expected.isValid())
        FUZZ_CHECK(read == expected);
    if (expected.isValid() && WindowLayout::onScreens(read, screens))
        FUZZ_CHECK(screens[0].intersects(read) || screens[1].intersects(read));

    const QByteArray file = WindowLayout::joinFile(block, content.isEmpty() ? QByteArray("x") : content);
    FUZZ_CHECK(WindowLayout::splitFile(file, &geometry, &state));
    FUZZ_CHECK(geometry == block);
    return 0;
}
