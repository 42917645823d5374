#pragma once

#include <QByteArray>
#include <QString>

// True when the file's last-modified time can be read (a folder counts too). Never throws,
// leaves nothing behind; false for an empty path or a missing folder.
bool FileExists(const QString& path);

// The whole of a small regular file. Throws Failure naming `what` (e.g. "skin") when the file
// cannot be read, is no regular file, or is larger than maxBytes, so that a huge file is refused
// rather than loaded and a FIFO does not block.
QByteArray readSmallFile(const QString& path, qint64 maxBytes, const QString& what);
