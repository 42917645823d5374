#include "base/LockFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

LockFile::Opening LockFile::refuse(const QString& problem) {
    problem_ = problem;
    file_.close();
    return Opening::unusable;
}

LockFile::Opening LockFile::open() {
    if (path_.isEmpty() || !QDir().mkpath(QFileInfo(path_).absolutePath()))
        return Opening::folderNotWritable;
    const QByteArray path = QFile::encodeName(path_);
    // O_NOFOLLOW: a link there is refused, not written through; O_NONBLOCK: a FIFO there does
    // not block the start; no O_TRUNC: a file of somebody else's keeps its contents.
    file_ = FileDescriptor(::open(
        path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW, 0600));
    if (!file_.isOpen()) {
        const int reason = errno;
        struct stat there {};
        const bool nothingThere = ::lstat(path.constData(), &there) != 0 && errno == ENOENT;
        if (nothingThere && (reason == EACCES || reason == EPERM || reason == EROFS))
            return Opening::folderNotWritable;
        if (reason == ELOOP)
            return refuse(QStringLiteral("it is a symbolic link, which is not followed"));
        if (reason == EISDIR)
            return refuse(QStringLiteral("it is a folder"));
        if (reason == ENXIO)
            return refuse(QStringLiteral("it is not a regular file"));
        return refuse(qt_error_string(reason));
    }
    struct stat info {};
    if (::fstat(file_.get(), &info) != 0)
        return refuse(qt_error_string(errno));
    if (!S_ISREG(info.st_mode))
        return refuse(QStringLiteral("it is not a regular file"));
    if (info.st_uid != ::geteuid())
        return refuse(QStringLiteral("it belongs to another user"));
    device_ = info.st_dev;
    inode_ = info.st_ino;
    return Opening::opened;
}

LockFile::Locking LockFile::tryLock() {
    if (::flock(file_.get(), LOCK_EX | LOCK_NB) == 0)
        return Locking::taken;
    return errno == EWOULDBLOCK ? Locking::heldElsewhere : Locking::unsupported;
}

bool LockFile::writeLine(const QByteArray& line) {
    const QByteArray whole = line + '\n';
    return ::pwrite(file_.get(), whole.data(), static_cast<size_t>(whole.size()), 0) ==
           whole.size();
}

QByteArray LockFile::readLine(qsizetype longest) const {
    QByteArray line(longest + 1, Qt::Uninitialized);
    const ssize_t read = ::pread(file_.get(), line.data(), static_cast<size_t>(line.size()), 0);
    const qsizetype end = read > 0 ? line.first(read).indexOf('\n') : -1;
    return end > 0 ? line.first(end) : QByteArray();
}

bool LockFile::isStillAtPath() const {
    struct stat there {};
    return ::lstat(QFile::encodeName(path_).constData(), &there) == 0 && there.st_dev == device_ &&
           there.st_ino == inode_;
}
