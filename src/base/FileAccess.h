#pragma once

#include "base/FileDescriptor.h"

#include <QByteArray>
#include <QString>

// The rules every file the program touches is held to, and the small operations built on them.
// Its doors are RegularFileReader (reading), AtomicFileWriter (writing and replacing) and
// LockFile (the lock beside the stored list); nothing else opens a file for writing
// (scripts/check-file-access.sh names any place that does). The rules:
// - a symbolic link that another user put in a sticky folder that everyone may write (such as
//   /tmp) is never followed, as the kernel's protected_symlinks rule has it, so nobody can have a
//   file of ours read, copied or written through a link of theirs;
// - only regular files are read or written (a FIFO would block, a device never ends);
// - a file the program did not create is never truncated, except when it replaces the whole
//   file the user asked to write;
// - a copy keeps its source's permission bits, so that a private file stays private.

// True when the file's last-modified time can be read (a folder counts too). Never throws,
// leaves nothing behind; false for an empty path or a missing folder.
bool FileExists(const QString& path);

// The whole of a small regular file. Throws Failure naming `what` (e.g. "skin") when the file
// cannot be read, is no regular file, or is larger than maxBytes, so that a huge file is refused
// rather than loaded and a FIFO does not block.
QByteArray readSmallFile(const QString& path, qint64 maxBytes, const QString& what);

// Where a path's symbolic links lead.
struct LinkWalk {
    QString target;       // the file the links name; the path itself when it is no link
    QString foreignLink;  // the first link on the way that must not be followed; empty if none
    QString sharedFolder; // the folder that link lies in
};
LinkWalk walkLinks(const QString& path);

// Copies the regular file at source to target, replacing target only when the copy is complete,
// with the source's permission bits. False, doing nothing, when there is nothing a copy could
// hold (no file, a folder, a FIFO, a device). Throws Failure when the source cannot be read or
// the target cannot be written.
bool copyFile(const QString& source, const QString& target);

// Opens descriptors 0, 1 and 2 on /dev/null where the caller left them closed, so that no file
// the program opens later takes their place (and gets its warnings written into it).
void openClosedStandardDescriptors();
