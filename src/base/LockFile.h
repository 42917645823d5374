#pragma once

#include "base/FileDescriptor.h"

#include <QByteArray>
#include <QString>
#include <sys/types.h>

// A lock file of this user: a regular file, opened without following a link and never
// truncated, so that a link or a file put at its path can neither be written through nor have
// its contents cut. It holds one line (a short text for other starts to read), written over its
// start; what stood after that line is left and never read.
class LockFile {
public:
    enum class Opening {
        opened,
        folderNotWritable, // nothing can be created there: no lock to be had at all
        unusable,          // something is at the path that is no lock of this user (problem())
    };
    enum class Locking {
        taken,         // this process holds the lock now
        heldElsewhere, // another process holds it
        unsupported,   // the file system has no locks
    };

    explicit LockFile(QString path) : path_(std::move(path)) {}

    // Opens the file, creating it (and its folder) when missing.
    Opening open();
    // What is wrong with the file at the path, after Opening::unusable.
    QString problem() const { return problem_; }

    // Takes the exclusive lock, without waiting. The kernel drops it when the holder ends.
    Locking tryLock();

    // Writes the line at the file's start; false when that failed.
    bool writeLine(const QByteArray& line);
    // The file's first line, without its line end; nothing while it holds no whole line.
    QByteArray readLine(qsizetype longest) const;

    // Whether the path still names the file that was opened (it may have been removed or
    // replaced since).
    bool isStillAtPath() const;

    const QString& path() const { return path_; }

private:
    Opening refuse(const QString& problem);

    QString path_;
    QString problem_;
    FileDescriptor file_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};
