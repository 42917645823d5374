#include "base/RegularFileReader.h"

#include "base/Failure.h"
#include "base/HugePages.h"
#include "base/LinkWalk.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <utility>

namespace {

[[noreturn]] void failWithErrno(const QString& name) {
    throw Failure(QStringLiteral("Cannot read %1: %2").arg(name, qt_error_string(errno)));
}

RegularFileReader::Refusal refusal(RegularFileReader::Refusal::Kind kind, int errorNumber) {
    return {kind, errorNumber};
}

} // namespace

QString RegularFileReader::Refusal::reason() const {
    if (foreignLink)
        return QStringLiteral("it is a link that another user put in a shared folder, so it is "
                              "not followed");
    if (kind != Kind::notRegular)
        return qt_error_string(errorNumber);
    return folder ? QStringLiteral("it is a folder") : QStringLiteral("it is not a regular file");
}

void RegularFileReader::Refusal::raise(const QString& name) const {
    throw Failure(QStringLiteral("Cannot read %1: %2").arg(name, reason()));
}

RegularFileReader::RegularFileReader(QString name, FileDescriptor file, qint64 size,
                                     mode_t permissions)
    : name_(std::move(name)), file_(std::move(file)), size_(size), permissions_(permissions) {}

std::variant<RegularFileReader, RegularFileReader::Refusal>
RegularFileReader::tryOpen(const QString& path, const QString& name) {
    using Kind = Refusal::Kind;
    if (!walkLinks(path).foreignLink.isEmpty())
        return Refusal{Kind::failed, EACCES, false, true};
    // O_NONBLOCK: opening a FIFO does not wait for a writer; O_NOCTTY: a terminal does not
    // become ours. Either is then refused by what fstat says of the open descriptor.
    FileDescriptor file(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file.isOpen()) {
        if (errno == ENOENT || errno == ENOTDIR)
            return refusal(Kind::absent, errno);
        // A socket, or a device without its driver, cannot be opened at all.
        return refusal(errno == ENXIO ? Kind::notRegular : Kind::failed, errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return refusal(Kind::failed, errno);
    if (!S_ISREG(info.st_mode))
        return Refusal{Kind::notRegular, 0, S_ISDIR(info.st_mode)};
    return RegularFileReader(name.isEmpty() ? path : name, std::move(file),
                             static_cast<qint64>(info.st_size), info.st_mode & 0777);
}

std::optional<RegularFileReader> RegularFileReader::open(const QString& path) {
    auto opened = tryOpen(path);
    if (auto* reader = std::get_if<RegularFileReader>(&opened))
        return std::move(*reader);
    const auto& refused = std::get<Refusal>(opened);
    if (refused.kind == Refusal::Kind::absent)
        return std::nullopt;
    refused.raise(path);
}

qint64 RegularFileReader::read(char* into, qint64 maxBytes) {
    qint64 done = 0;
    while (done < maxBytes) {
        const ssize_t got = ::read(file_.get(), into + done, static_cast<size_t>(maxBytes - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failWithErrno(name_);
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

QByteArray RegularFileReader::readAtMost(qint64 limit) {
    // Room for the file as it was opened, so that the bytes take no more memory than that.
    QByteArray bytes(std::min(size_, limit + 1), Qt::Uninitialized);
    adviseHugePages(bytes.data(), static_cast<std::size_t>(bytes.size()));
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

bool RegularFileReader::openStream(QFile& stream) const {
    return stream.open(file_.get(), QIODevice::ReadOnly | QIODevice::Unbuffered,
                       QFileDevice::DontCloseHandle);
}

QByteArray readSmallFile(const QString& path, qint64 maxBytes, const QString& what) {
    const QString name = QStringLiteral("the %1 %2").arg(what, path);
    auto opened = RegularFileReader::tryOpen(path, name);
    if (const auto* refused = std::get_if<RegularFileReader::Refusal>(&opened)) {
        // A folder is named as what it is not, as any other file that is not a regular one.
        const bool notRegular = refused->kind == RegularFileReader::Refusal::Kind::notRegular;
        throw Failure(QStringLiteral("Cannot read %1: %2")
                          .arg(name, notRegular ? QStringLiteral("it is not a regular file")
                                                : refused->reason()));
    }
    QByteArray bytes = std::get<RegularFileReader>(opened).readAtMost(maxBytes);
    if (bytes.size() > maxBytes)
        throw Failure(QStringLiteral("The %1 is too large").arg(name));
    return bytes;
}
