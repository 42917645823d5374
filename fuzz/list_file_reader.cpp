// Differential fuzz target of the list file reader: the streaming splitter, fed in chunks of
// random sizes, must give exactly the entries of a plain reader of the whole buffer that
// follows the format step by step (segments at CR LF and CR, then pieces at LF). Every entry
// must also decode without losing a byte, and the device reader (with its shortcut for ASCII
// files), reading the same random chunk sizes, must give the decoded entries; for a file that
// starts with a UTF-16 byte-order mark, the entries of the whole file decoded at once.
//
// Input: byte 0 the largest chunk size - 1, bytes 1 and 2 the seed of the chunk sizes, the rest
// the file.
#include "base/TextDecoding.h"
#include "base/Utf16ToUtf8.h"
#include "list/ListFileReader.h"
#include "list/ListFileSplitter.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringDecoder>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> referenceEntries(std::string_view file) {
    if (file.substr(0, 3) == "\xEF\xBB\xBF")
        file.remove_prefix(3);
    std::vector<std::string> entries;
    size_t at = 0;
    while (at < file.size()) {
        // One segment: up to the next CR, which is consumed with an LF right after it.
        const size_t cr = file.find('\r', at);
        const size_t segmentEnd = cr == std::string_view::npos ? file.size() : cr;
        const std::string_view segment = file.substr(at, segmentEnd - at);
        at = segmentEnd + 1;
        if (cr != std::string_view::npos && at < file.size() && file[at] == '\n')
            ++at;
        // Its pieces: k LF give k + 1 pieces, but the file's final LF adds no empty one.
        size_t start = 0;
        for (size_t lf; (lf = segment.find('\n', start)) != std::string_view::npos; start = lf + 1)
            entries.emplace_back(segment.substr(start, lf - start));
        if (cr != std::string_view::npos || start < segment.size())
            entries.emplace_back(segment.substr(start));
    }
    return entries;
}

// The whole file as the device reader should see it: UTF-16 announced by its byte-order mark
// decoded in one go, anything else as it is.
std::string asReadFromDevice(std::string_view file) {
    const QByteArrayView bytes(file.data(), static_cast<qsizetype>(file.size()));
    const auto byteOrder = Utf16ToUtf8::announcedBy(bytes);
    if (!byteOrder)
        return std::string(file);
    QStringDecoder whole(*byteOrder, QStringConverter::Flag::Stateless |
                                         QStringConverter::Flag::ConvertInitialBom);
    return QString(whole.decode(bytes)).toUtf8().toStdString();
}

// Hands out its bytes in reads of the fuzzer's chunk sizes, as a pipe or a slow disk might.
class TricklingDevice : public QIODevice {
public:
    TricklingDevice(std::string_view bytes, std::uint32_t state, size_t largestChunk)
        : bytes_(bytes), state_(state), largestChunk_(largestChunk) {
        open(ReadOnly | Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        state_ = state_ * 1664525u + 1013904223u;
        const size_t chunk = std::min({size_t{1} + (state_ >> 8) % largestChunk_, bytes_.size(),
                                       static_cast<size_t>(maxSize)});
        std::copy_n(bytes_.data(), chunk, data);
        bytes_.remove_prefix(chunk);
        return static_cast<qint64>(chunk);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::string_view bytes_;
    std::uint32_t state_;
    size_t largestChunk_;
};

void check(bool condition) {
    if (!condition)
        std::abort();
}

void checkNoByteLost(std::string_view bytes) {
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const QString text = decodeUtf8OrLatin1(view);
    check(text.toUtf8() == view || (text.size() == view.size() && text.toLatin1() == view));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    const size_t largestChunk = size_t{data[0]} + 1;
    std::uint32_t state = (std::uint32_t{data[1]} << 8 | data[2]) * 2654435761u + 1;
    const std::string_view file(reinterpret_cast<const char*>(data + 3), size - 3);

    std::vector<std::string> streamed;
    ListFileSplitter splitter([&](QByteArrayView entry) {
        streamed.emplace_back(entry.data(), static_cast<size_t>(entry.size()));
    });
    for (size_t at = 0; at < file.size();) {
        state = state * 1664525u + 1013904223u;
        const size_t chunk = std::min<size_t>(1 + (state >> 8) % largestChunk, file.size() - at);
        splitter.feed(QByteArrayView(file.data() + at, static_cast<qsizetype>(chunk)));
        at += chunk;
    }
    splitter.finish();

    const std::vector<std::string> reference = referenceEntries(file);
    check(streamed == reference);
    for (const std::string& entry : streamed)
        checkNoByteLost(entry);

    const std::vector<std::string> readReference = referenceEntries(asReadFromDevice(file));
    TricklingDevice device(file, state, largestChunk);
    std::vector<QString> read;
    readListFile(device, QString(),
                 [&](QByteArrayView entry) { read.push_back(decodeUtf8OrLatin1(entry)); });
    check(read.size() == readReference.size());
    for (size_t i = 0; i < read.size(); ++i)
        check(read[i] ==
              decodeUtf8OrLatin1(QByteArrayView(readReference[i].data(),
                                                static_cast<qsizetype>(readReference[i].size()))));
    return 0;
}
