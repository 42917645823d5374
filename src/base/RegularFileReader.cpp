#include "base/RegularFileReader.h"

#include "base/Failure.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <utility>

namespace {

[[noreturn]] void refuse(const QString& path, const struct stat& info) {
    if (S_ISDIR(info.st_mode))
        throw Failure(QStringLiteral("Cannot read %1: it is a folder").arg(path));
    throw Failure(QStringLiteral("Cannot read %1: it is not a regular file").arg(path));
}

[[noreturn]] void failWithErrno(const QString& path) {
    throw Failure(QStringLiteral("Cannot read %1: %2").arg(path, qt_error_string(errno)));
}

} // namespace

RegularFileReader::RegularFileReader(QString path, FileDescriptor file, qint64 size)
    : path_(std::move(path)), file_(std::move(file)), size_(size) {}

std::optional<RegularFileReader> RegularFileReader::open(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    // Judged before it is opened: opening a FIFO blocks, opening a device may act on it.
    if (::stat(native.constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        failWithErrno(path);
    }
    if (!S_ISREG(info.st_mode))
        refuse(path, info);
    // O_NONBLOCK: should a FIFO have taken the file's place since, opening it does not wait.
    FileDescriptor file(::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file.isOpen())
        failWithErrno(path);
    if (::fstat(file.get(), &info) != 0)
        failWithErrno(path);
    if (!S_ISREG(info.st_mode))
        refuse(path, info);
    return RegularFileReader(path, std::move(file), static_cast<qint64>(info.st_size));
}

qint64 RegularFileReader::read(char* into, qint64 maxBytes) {
    qint64 done = 0;
    while (done < maxBytes) {
        const ssize_t got = ::read(file_.get(), into + done, static_cast<size_t>(maxBytes - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failWithErrno(path_);
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

QByteArray RegularFileReader::readAtMost(qint64 limit) {
    // Room for the file as it was opened, so that the bytes take no more memory than that.
    QByteArray bytes(std::min(size_, limit + 1), Qt::Uninitialized);
    qint64 filled = read(bytes.data(), bytes.size());
    char probe = 0;
    // A file that grew while it was read is read on, up to one byte past the limit.
    while (filled == bytes.size() && filled <= limit && read(&probe, 1) == 1) {
        bytes.resize(std::min(std::max(bytes.size() * 2, qsizetype{4096}), limit + 1));
        bytes[filled++] = probe;
        filled += read(bytes.data() + filled, bytes.size() - filled);
    }
    bytes.truncate(filled);
    return bytes;
}
