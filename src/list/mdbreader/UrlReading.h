#pragma once

#include "list/MdbReaderProtocol.h"

#include <cstddef>
#include <string_view>

namespace mdbreader {

// Receives the "url" value of each record in turn.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual void value(std::string_view utf8) = 0;
    virtual void null() = 0;
};

// Reads every record of "tblWebsites" in the table's order with libmdb. Returns completed when
// all were passed to sink, otherwise the reason none were (nothing is passed to sink then).
ExitCode readUrlsFromFile(const char* path, RecordSink& sink);
// The same for a database held in memory (the bytes may be changed by the reading).
ExitCode readUrlsFromBuffer(void* bytes, std::size_t size, RecordSink& sink);

} // namespace mdbreader
