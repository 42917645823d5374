#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>

// A small tmpfs on a temporary folder, which fill() makes full: writes meet "No space left on
// device" there, also as root. Where it can, it is mounted in a mount namespace of this thread
// alone, so that not even a crash of the test leaves it mounted; it is unmounted when the
// object goes away. Mounting needs root (CAP_SYS_ADMIN): isMounted() says whether it worked and
// whyNot() why not, for the test to skip.
class FullFilesystem {
public:
    explicit FullFilesystem(const QByteArray& size = "2m") {
        if (::unshare(CLONE_NEWNS) == 0)
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
        const QByteArray options = "size=" + size;
        mounted_ = ::mount("tmpfs", QFile::encodeName(folder_.path()).constData(), "tmpfs",
                           MS_NOSUID | MS_NODEV, options.constData()) == 0;
        if (!mounted_)
            whyNot_ = QStringLiteral("cannot mount a tmpfs: %1").arg(qt_error_string(errno));
    }
    ~FullFilesystem() {
        if (mounted_)
            ::umount2(QFile::encodeName(folder_.path()).constData(), MNT_DETACH);
    }
    FullFilesystem(const FullFilesystem&) = delete;
    FullFilesystem& operator=(const FullFilesystem&) = delete;

    bool isMounted() const { return mounted_; }
    QString whyNot() const { return whyNot_; }
    QString path() const { return folder_.path(); }
    QString filePath(const QString& name) const { return folder_.filePath(name); }

    // Fills what is left with a hidden file, down to the last byte.
    void fill() {
        QFile filler(filePath(QStringLiteral(".filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            qFatal("cannot create the filler");
        const QByteArray block(64 * 1024, 'f');
        for (qsizetype size = block.size(); size > 0;)
            if (filler.write(block.constData(), size) < size)
                size /= 2;
    }

private:
    QTemporaryDir folder_;
    bool mounted_ = false;
    QString whyNot_;
};
