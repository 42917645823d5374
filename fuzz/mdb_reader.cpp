// Feeds arbitrary bytes, as a database file, to the reader's code in-process: the same libmdb
// calls corvantis-mdb-reader makes, from opening the file to the last record's value.

#include "UrlReading.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// Touches every value, so that reading it is never optimised away.
class CountingSink : public mdbreader::RecordSink {
public:
    std::size_t bytes = 0;
    std::size_t nulls = 0;
    void value(std::string_view utf8) override {
        for (char c : utf8)
            bytes += static_cast<unsigned char>(c) != 0;
    }
    void null() override { ++nulls; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> database(data, data + size);
    if (database.empty())
        return 0;
    CountingSink sink;
    mdbreader::readUrlsFromBuffer(database.data(), database.size(), sink);
    return 0;
}
