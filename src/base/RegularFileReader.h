#pragma once

#include "base/FileDescriptor.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/types.h>
#include <variant>

class QFile;

// A regular file opened for reading. The path is opened once, without waiting and without
// becoming the controlling terminal, and what was opened is judged by the open descriptor, so
// nothing can take the file's place between a check and the open: a FIFO would block the reader
// for ever, a device such as /dev/zero never ends, and a folder holds no value. A symbolic link
// is followed to what it names, and judged by that, except one that another user put in a
// shared sticky folder (LinkWalk.h): that is refused as the kernel refuses it.
class RegularFileReader {
public:
    // Why a path was not opened as a regular file.
    struct Refusal {
        enum class Kind {
            absent,     // nothing there, or a link to nothing (errorNumber says which)
            notRegular, // a folder, a FIFO, a device or a socket
            failed,     // there, but the system refused to open it (errorNumber says why)
        };
        Kind kind;
        int errorNumber = 0;
        bool folder = false;
        bool foreignLink = false; // failed: a link of another user in a shared folder

        // "it is a folder", "it is not a regular file", or the system's reason.
        QString reason() const;
        // Throws Failure "Cannot read NAME: reason".
        [[noreturn]] void raise(const QString& name) const;
    };

    // The regular file at the path, opened, or why not. A failed read names the file as `name`
    // ("Cannot read NAME: reason"); the path when no name is given.
    static std::variant<RegularFileReader, Refusal> tryOpen(const QString& path,
                                                            const QString& name = {});

    // The regular file at the path, opened; nothing when there is no file (or a link to
    // nothing). Throws Failure naming the path when something else is there or it cannot be
    // opened.
    static std::optional<RegularFileReader> open(const QString& path);

    // The file's size and permission bits when it was opened.
    qint64 size() const { return size_; }
    mode_t permissions() const { return permissions_; }

    // Up to `maxBytes` bytes from where the last read ended; fewer only at the end of the
    // file, none after it. Throws Failure.
    qint64 read(char* into, qint64 maxBytes);

    // The rest of the file, but never more than limit + 1 bytes, so that a file that is larger
    // than the caller accepts (or grows while it is read) is seen without being loaded.
    QByteArray readAtMost(qint64 limit);

    // Opens `stream` on this file, unbuffered, from where the last read ended, for a reader of
    // QIODevice that takes the file in chunks. The descriptor stays this reader's: the reader
    // must outlive the stream. False, with the reason in the stream, when Qt refuses it.
    bool openStream(QFile& stream) const;

private:
    RegularFileReader(QString name, FileDescriptor file, qint64 size, mode_t permissions);

    QString name_;
    FileDescriptor file_;
    qint64 size_;
    mode_t permissions_;
};

// The whole of a small regular file. Throws Failure naming `what` (e.g. "skin") when the file
// cannot be read, is no regular file, or is larger than maxBytes, so that a huge file is refused
// rather than loaded and a FIFO does not block.
QByteArray readSmallFile(const QString& path, qint64 maxBytes, const QString& what);
