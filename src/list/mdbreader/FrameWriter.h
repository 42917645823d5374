#pragma once

#include "UrlReading.h"

#include <cstdio>
#include <ctime>

namespace mdbreader {

// Writes each record as a frame (see MdbReaderProtocol.h) to a stream. Output is buffered, and
// flushed at least every 100 ms, so that the program sees progress while a large table is read
// and keeps what came before if the reading stalls.
class FrameWriter : public RecordSink {
public:
    explicit FrameWriter(std::FILE* out);

    void value(std::string_view utf8) override;
    void null() override;
    // The end frame, written after the last record; then everything is flushed.
    void finish();

private:
    void flushWhenDue();

    std::FILE* out_;
    timespec lastFlush_{};
};

} // namespace mdbreader
