#include "base/AtomicFileWriter.h"

#include "base/Failure.h"
#include "base/LinkWalk.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <utility>

namespace {

constexpr qsizetype longestNamePart = 200; // leaves room for the suffix within NAME_MAX
constexpr QByteArrayView temporaryMarker = ".saving-";

// Where the path's symbolic links lead; the path itself when it is no link. Throws Failure at a
// link that another user planted in a shared folder.
QString followLinks(const QString& path) {
    const LinkWalk walk = walkLinks(path);
    if (!walk.foreignLink.isEmpty())
        throw Failure(QStringLiteral("Cannot write %1: the link %2 belongs to another user "
                                     "in the shared folder %3, so it is not followed")
                          .arg(path, walk.foreignLink, walk.sharedFolder));
    return walk.target;
}

// The name of every temporary file of the target starts with this, then the writer's process
// id, "-" and a random part.
QByteArray temporaryPrefix(const QByteArray& targetName) {
    return '.' + targetName.left(longestNamePart) + temporaryMarker.toByteArray();
}

// The process that wrote a temporary file, from its name; 0 when the name does not say.
pid_t writerOf(QByteArrayView name, QByteArrayView prefix) {
    const QByteArrayView rest = name.sliced(prefix.size());
    const qsizetype dash = rest.indexOf('-');
    bool ok = false;
    const qlonglong pid = dash > 0 ? rest.first(dash).toLongLong(&ok) : 0;
    return ok && pid > 0 ? static_cast<pid_t>(pid) : 0;
}

// Removes the temporary files of the target that a killed writer left behind. A file whose
// writer still runs (or may: another user's) is left to it.
void removeLeftovers(const QByteArray& folder, const QByteArray& prefix) {
    const std::unique_ptr<DIR, int (*)(DIR*)> entries(::opendir(folder.constData()), &::closedir);
    if (!entries)
        return;
    while (const dirent* entry = ::readdir(entries.get())) {
        const QByteArrayView name(entry->d_name);
        if (!name.startsWith(prefix))
            continue;
        const pid_t writer = writerOf(name, prefix);
        if (writer == 0 || writer == ::getpid() || ::kill(writer, 0) == 0 || errno != ESRCH)
            continue;
        ::unlinkat(::dirfd(entries.get()), entry->d_name, 0);
    }
}

// Makes the rename itself lasting. Best effort: the new contents are in place already, and a
// folder that cannot be synced changes nothing about that.
void syncFolder(const QByteArray& folder) {
    const FileDescriptor descriptor(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (descriptor.isOpen())
        ::fsync(descriptor.get());
}

} // namespace

AtomicFileWriter::AtomicFileWriter(QString path, Fallback fallback)
    : path_(std::move(path)), fallback_(fallback) {}

void AtomicFileWriter::setPermissions(mode_t permissions) {
    permissions_ = permissions;
}

AtomicFileWriter::~AtomicFileWriter() {
    discard();
}

void AtomicFileWriter::writeWhole(const QString& path, QByteArrayView bytes) {
    AtomicFileWriter writer(path);
    writer.open();
    writer.write(bytes);
    writer.commit();
}

void AtomicFileWriter::open() {
    target_ = QFile::encodeName(followLinks(path_));
    struct stat target {};
    const bool exists = ::stat(target_.constData(), &target) == 0;
    if (!exists && errno != ENOENT)
        fail("create", errno);
    if (exists && S_ISDIR(target.st_mode))
        fail("create", EISDIR);
    if (exists && !S_ISREG(target.st_mode))
        throw Failure(
            QStringLiteral("Cannot write %1: it is not a regular file, so it is left as it is")
                .arg(path_));
    if (createTemporary(exists, target))
        return;
    const int reason = errno;
    const bool folderRefusesNewFiles = reason == EACCES || reason == EPERM;
    if (fallback_ == Fallback::WriteInPlace && exists && folderRefusesNewFiles) {
        // The links were followed above: one that appeared since is not.
        file_ = FileDescriptor(
            ::open(target_.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW));
        if (file_.isOpen())
            return;
    }
    fail("create", reason);
}

bool AtomicFileWriter::createTemporary(bool targetExists, const struct stat& target) {
    const QFileInfo info(QFile::decodeName(target_));
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray prefix = temporaryPrefix(QFile::encodeName(info.fileName()));
    removeLeftovers(folder, prefix);
    const QByteArray own = folder + '/' + prefix + QByteArray::number(::getpid()) + '-';
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray candidate =
            own + QByteArray::number(QRandomGenerator::global()->generate(), 16);
        file_ = FileDescriptor(
            ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (file_.isOpen()) {
            temporary_ = candidate;
            break;
        }
        if (errno != EEXIST)
            return false;
    }
    if (!file_.isOpen())
        return false;
    if (permissions_)
        ::fchmod(file_.get(), *permissions_);
    else if (targetExists)
        ::fchmod(file_.get(), target.st_mode & 0777); // the new file keeps what the old one had
    if (targetExists && (target.st_uid != ::geteuid() || target.st_gid != ::getegid()))
        keepOwner(target);
    return true;
}

// The new file keeps the old one's owner and group. Where this user may not give them (a file
// of another user, in a folder both may write), the file becomes this user's: its group bits
// would then open it to this user's group, so they are dropped unless the group is kept, and a
// warning names the file.
void AtomicFileWriter::keepOwner(const struct stat& target) {
    if (::fchown(file_.get(), target.st_uid, target.st_gid) == 0)
        return;
    const int reason = errno;
    const bool groupKept = ::fchown(file_.get(), static_cast<uid_t>(-1), target.st_gid) == 0;
    struct stat now {};
    if (!groupKept && ::fstat(file_.get(), &now) == 0)
        ::fchmod(file_.get(), now.st_mode & 07707);
    qWarning("Corvantis: %s now belongs to this user, not to its owner before: %s",
             qPrintable(path_), qPrintable(qt_error_string(reason)));
}

void AtomicFileWriter::write(QByteArrayView bytes) {
    if (!file_.isOpen())
        fail("write", EBADF);
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(file_.get(), data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            fail("write", written < 0 ? errno : EIO);
        data += written;
        left -= written;
    }
}

void AtomicFileWriter::commit() {
    if (!file_.isOpen())
        fail("write", EBADF);
    if (::fsync(file_.get()) != 0 || !file_.close())
        fail("write", errno);
    if (temporary_.isEmpty())
        return; // written in place
    if (::rename(temporary_.constData(), target_.constData()) != 0)
        fail("write", errno);
    temporary_.clear();
    syncFolder(QFile::encodeName(QFileInfo(QFile::decodeName(target_)).absolutePath()));
}

void AtomicFileWriter::discard() {
    file_.close();
    if (!temporary_.isEmpty())
        ::unlink(temporary_.constData());
    temporary_.clear();
}

void AtomicFileWriter::fail(const char* verb, int error) {
    discard();
    throw Failure(
        QStringLiteral("Cannot %1 %2: %3").arg(QLatin1String(verb), path_, qt_error_string(error)));
}
