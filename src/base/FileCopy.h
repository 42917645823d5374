#pragma once

#include <QString>

// Copies the regular file at source to target through the two doors (RegularFileReader,
// AtomicFileWriter), replacing target only when the copy is complete, with the source's
// permission bits, so that a private file stays private. False, doing nothing, when there is
// nothing a copy could hold (no file, a folder, a FIFO, a device). Throws Failure when the
// source cannot be read or the target cannot be written.
bool copyFile(const QString& source, const QString& target);
