#include "ui/CursorFile.h"

#include "base/Failure.h"

#include <QBuffer>
#include <QImageReader>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int headerSize = 6;
constexpr int entrySize = 16;
constexpr int cursorType = 2;
constexpr int preferredSize = 32;
constexpr int largestImageMegabytes = 4;

struct DirectoryEntry {
    int width = 0;
    int height = 0;
    QPoint hotspot;
    std::uint32_t dataSize = 0;
    std::uint32_t dataOffset = 0;
};

std::uint16_t word(const QByteArray& bytes, qsizetype at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

std::uint32_t doubleWord(const QByteArray& bytes, qsizetype at) {
    return static_cast<std::uint32_t>(word(bytes, at)) |
           static_cast<std::uint32_t>(word(bytes, at + 2)) << 16;
}

// A width or height byte of 0 stands for 256 pixels.
int dimension(const QByteArray& bytes, qsizetype at) {
    const int value = static_cast<std::uint8_t>(bytes[at]);
    return value == 0 ? 256 : value;
}

[[noreturn]] void notACursor(const QString& why) {
    throw Failure(QStringLiteral("Not a valid cursor file: %1").arg(why));
}

DirectoryEntry entryAt(const QByteArray& bytes, int index) {
    const qsizetype at = headerSize + qsizetype{index} * entrySize;
    DirectoryEntry entry;
    entry.width = dimension(bytes, at);
    entry.height = dimension(bytes, at + 1);
    entry.hotspot = QPoint(word(bytes, at + 4), word(bytes, at + 6));
    entry.dataSize = doubleWord(bytes, at + 8);
    entry.dataOffset = doubleWord(bytes, at + 12);
    const auto end = std::uint64_t{entry.dataOffset} + entry.dataSize;
    if (entry.dataSize == 0 || end > static_cast<std::uint64_t>(bytes.size()))
        notACursor(QStringLiteral("image %1 lies outside the file").arg(index + 1));
    return entry;
}

int imageCount(const QByteArray& bytes) {
    if (bytes.size() < headerSize)
        notACursor(QStringLiteral("the file is too short"));
    if (word(bytes, 0) != 0 || word(bytes, 2) != cursorType)
        notACursor(QStringLiteral("the header does not name a cursor"));
    const int count = word(bytes, 4);
    if (count == 0)
        notACursor(QStringLiteral("the file holds no image"));
    if (headerSize + qsizetype{count} * entrySize > bytes.size())
        notACursor(QStringLiteral("the directory is cut short"));
    return count;
}

int nearestToPreferredSize(const QByteArray& bytes, int count) {
    int best = 0;
    for (int index = 1; index < count; ++index) {
        if (std::abs(entryAt(bytes, index).width - preferredSize) <
            std::abs(entryAt(bytes, best).width - preferredSize))
            best = index;
    }
    return best;
}

QImage decodeImage(const QByteArray& bytes, int index) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    if (!QImageReader::supportedImageFormats().contains("cur"))
        notACursor(QStringLiteral("no reader for cursor images is installed"));
    QImageReader reader(&buffer, "cur");
    // A cursor image is at most 256 x 256 pixels (256 KiB); a header that claims more must not
    // make the reader allocate hundreds of megabytes.
    reader.setAllocationLimit(largestImageMegabytes);
    if (!reader.canRead())
        notACursor(QStringLiteral("its images cannot be read"));
    if (index > 0 && !reader.jumpToImage(index))
        notACursor(QStringLiteral("image %1 cannot be found").arg(index + 1));
    QImage image = reader.read();
    if (image.isNull())
        notACursor(reader.errorString());
    return image;
}

} // namespace

CursorPicture readCursorFile(const QByteArray& bytes) {
    const int count = imageCount(bytes);
    for (int index = 0; index < count; ++index)
        entryAt(bytes, index);
    const int chosen = nearestToPreferredSize(bytes, count);
    const DirectoryEntry entry = entryAt(bytes, chosen);
    CursorPicture picture{decodeImage(bytes, chosen), entry.hotspot};
    if (!picture.image.rect().contains(picture.hotspot))
        notACursor(QStringLiteral("the hotspot lies outside the image"));
    return picture;
}
