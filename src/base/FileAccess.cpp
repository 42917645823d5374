#include "base/FileAccess.h"

#include "base/AtomicFileWriter.h"
#include "base/Failure.h"
#include "base/RegularFileReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int mostLinksFollowed = 40; // as many as the kernel follows in one path
constexpr qint64 copyChunkBytes = qint64{1} << 20;

// Whether the kernel's protected_symlinks rule forbids following the link: it lies in a sticky
// folder that everyone may write (/tmp, say) and belongs neither to that folder's owner nor to
// this process's user. Anyone can plant such a link to have a file of ours read or written.
bool isForeignLinkInSharedFolder(const QFileInfo& link) {
    struct stat linkInfo {};
    struct stat folderInfo {};
    if (::lstat(QFile::encodeName(link.filePath()).constData(), &linkInfo) != 0 ||
        ::stat(QFile::encodeName(link.absolutePath()).constData(), &folderInfo) != 0)
        return false;
    const bool shared = (folderInfo.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
    return shared && linkInfo.st_uid != folderInfo.st_uid && linkInfo.st_uid != ::geteuid();
}

} // namespace

bool FileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).lastModified().isValid();
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

LinkWalk walkLinks(const QString& path) {
    QFileInfo info(path);
    for (int i = 0; i < mostLinksFollowed && info.isSymLink(); ++i) {
        if (isForeignLinkInSharedFolder(info))
            return {path, info.filePath(), info.absolutePath()};
        info.setFile(info.symLinkTarget());
    }
    return {info.filePath(), {}, {}};
}

bool copyFile(const QString& source, const QString& target) {
    auto opened = RegularFileReader::tryOpen(source);
    if (const auto* refused = std::get_if<RegularFileReader::Refusal>(&opened)) {
        // Nothing there, or nothing a copy could hold (a folder, a FIFO, a device).
        if (refused->kind != RegularFileReader::Refusal::Kind::failed)
            return false;
        refused->raise(source);
    }
    auto& original = std::get<RegularFileReader>(opened);
    // Copied in chunks: the file may be one too large to load.
    AtomicFileWriter copy(target);
    copy.setPermissions(original.permissions());
    copy.open();
    QByteArray chunk(copyChunkBytes, Qt::Uninitialized);
    while (const qint64 read = original.read(chunk.data(), copyChunkBytes))
        copy.write(QByteArrayView(chunk).first(read));
    copy.commit();
    return true;
}

void openClosedStandardDescriptors() {
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number is this one; it stays open for the life of the process.
        const int opened = ::open("/dev/null", O_RDWR | O_NOCTTY);
        if (opened > STDERR_FILENO)
            ::close(opened); // the number was taken meanwhile: nothing left to fill
    }
}
