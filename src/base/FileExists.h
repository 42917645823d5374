#pragma once

#include <QString>

// True when the file's last-modified time can be read (a folder counts too). Never throws,
// leaves nothing behind; false for an empty path or a missing folder.
bool FileExists(const QString& path);
