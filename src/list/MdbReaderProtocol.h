#pragma once

// What corvantis-mdb-reader writes to its standard output and how it ends, shared by the helper
// and the program that runs it.
//
// The output is a sequence of frames, one per record of "tblWebsites" in the table's order:
//   'V', the value's length in bytes (4 bytes, little-endian), the value's UTF-8 bytes
//   'N'                                   the record's "url" holds no value (NULL)
// and after the last record the frame 'E'. Output that ends without 'E' was cut short.
#include <cstdint>

namespace mdbreader {

inline constexpr char valueFrame = 'V';
inline constexpr char nullFrame = 'N';
inline constexpr char endFrame = 'E';
inline constexpr int lengthBytes = 4;
// The longest value a frame holds: the helper delivers every value whole within it, and the
// program refuses a longer frame as broken output.
inline constexpr std::uint32_t maxValueBytes = std::uint32_t(64) << 20;

// Exit codes. Only a run that exits with completed, after the end frame, read every record.
enum ExitCode : int {
    completed = 0,
    usage = 2,      // not given exactly one absolute path
    cannotOpen = 3, // the file is not a database that can be opened
    noTable = 4,    // no table "tblWebsites", or its definition cannot be read
    noUrlField = 5, // the table has no field "url"
};

inline constexpr const char* programName = "corvantis-mdb-reader";
inline constexpr const char* tableName = "tblWebsites";
inline constexpr const char* fieldName = "url";

} // namespace mdbreader
