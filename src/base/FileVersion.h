#pragma once

#include <QString>
#include <QtGlobal>

// Which file is at a path, in which state: its device and inode, size and modification time.
// Two looks at one path that give different versions saw different files, or one file that was
// changed in between (by another program, or by hand).
struct FileVersion {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedSeconds = 0;
    qint64 modifiedNanoseconds = 0;

    // The version of what is at the path, a link followed; one that does not exist when there
    // is nothing there that can be looked at.
    static FileVersion of(const QString& path);

    bool operator==(const FileVersion&) const = default;
};
