// The 3D monitor's settings reader. Any file is either rejected or read; the
// settings then written read back to the same settings and the same file.
#include "FuzzCheck.h"
#include "HoloviewConfigData.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

using Configuration::HoloviewConfigData;
using Configuration::StoreXML;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), int(size));
    const QString element = QString::fromLatin1(HoloviewConfigData::ElementName);

    HoloviewConfigData first;
    const QByteArray untouched = first.content();
    const StoreXML::LoadResult result = first.readContent(content, QStringLiteral("fuzz.xml"), element, nullptr);
    FUZZ_CHECK(result == StoreXML::LoadResult::Loaded || result == StoreXML::LoadResult::Rejected);
    const QByteArray written = first.content();
    if (result == StoreXML::LoadResult::Rejected)
        FUZZ_CHECK(written == untouched);   // a rejected file changes nothing

    HoloviewConfigData second;
    FUZZ_CHECK(second.readContent(written, QStringLiteral("written.xml"), element, nullptr)
               == StoreXML::LoadResult::Loaded);
    FUZZ_CHECK(second.content() == written);
    return 0;
}
