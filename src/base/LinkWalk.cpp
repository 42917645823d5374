#include "base/LinkWalk.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int mostLinksFollowed = 40; // as many as the kernel follows in one path

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

LinkWalk walkLinks(const QString& path) {
    QFileInfo info(path);
    for (int i = 0; i < mostLinksFollowed && info.isSymLink(); ++i) {
        if (isForeignLinkInSharedFolder(info))
            return {path, info.filePath(), info.absolutePath()};
        info.setFile(info.symLinkTarget());
    }
    return {info.filePath(), {}, {}};
}
