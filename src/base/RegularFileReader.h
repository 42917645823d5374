#pragma once

#include "base/FileDescriptor.h"

#include <QByteArray>
#include <QString>
#include <optional>

// A regular file opened for reading. Anything else at the path is refused before a byte is
// read: a FIFO would block the reader for ever, a device such as /dev/zero never ends, and a
// folder holds no value. A symbolic link is followed to what it names, and judged by that.
class RegularFileReader {
public:
    // The regular file at the path, opened; nothing when there is no file (or a link to
    // nothing). Throws Failure naming the path when something else is there or it cannot be
    // opened.
    static std::optional<RegularFileReader> open(const QString& path);

    // The file's size when it was opened.
    qint64 size() const { return size_; }

    // Up to `maxBytes` bytes from where the last read ended; fewer only at the end of the
    // file, none after it. Throws Failure.
    qint64 read(char* into, qint64 maxBytes);

    // The rest of the file, but never more than limit + 1 bytes, so that a file that is larger
    // than the caller accepts (or grows while it is read) is seen without being loaded.
    QByteArray readAtMost(qint64 limit);

private:
    RegularFileReader(QString path, FileDescriptor file, qint64 size);

    QString path_;
    FileDescriptor file_;
    qint64 size_;
};
