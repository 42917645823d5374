#include "FrameWriter.h"

#include <cstdint>

namespace mdbreader {

namespace {

constexpr long flushIntervalNanoseconds = 100'000'000;

timespec now() {
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &time);
    return time;
}

long nanosecondsBetween(const timespec& earlier, const timespec& later) {
    return (later.tv_sec - earlier.tv_sec) * 1'000'000'000L + (later.tv_nsec - earlier.tv_nsec);
}

} // namespace

FrameWriter::FrameWriter(std::FILE* out) : out_(out), lastFlush_(now()) {}

void FrameWriter::value(std::string_view utf8) {
    const auto length = static_cast<std::uint32_t>(utf8.size());
    unsigned char header[1 + lengthBytes] = {static_cast<unsigned char>(valueFrame)};
    for (int i = 0; i < lengthBytes; ++i)
        header[1 + i] = static_cast<unsigned char>(length >> (8 * i));
    std::fwrite(header, 1, sizeof header, out_);
    if (!utf8.empty()) // an empty view may have no data pointer at all
        std::fwrite(utf8.data(), 1, utf8.size(), out_);
    flushWhenDue();
}

void FrameWriter::null() {
    std::fputc(nullFrame, out_);
    flushWhenDue();
}

void FrameWriter::finish() {
    std::fputc(endFrame, out_);
    std::fflush(out_);
}

void FrameWriter::flushWhenDue() {
    const timespec time = now();
    if (nanosecondsBetween(lastFlush_, time) >= flushIntervalNanoseconds) {
        std::fflush(out_);
        lastFlush_ = time;
    }
}

} // namespace mdbreader
