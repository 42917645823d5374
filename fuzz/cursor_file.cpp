// Fuzz target: the .CUR reader, through Qt's ico decoder, on any bytes. Each input either gives
// a picture whose hotspot lies inside it or a Failure; nothing else may happen.
#include "base/Failure.h"
#include "ui/CursorFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const CursorPicture picture = readCursorFile(bytes);
        if (!picture.image.rect().contains(picture.hotspot))
            std::abort();
    } catch (const Failure&) {
    }
    return 0;
}
