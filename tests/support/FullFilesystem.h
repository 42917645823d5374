#pragma once

#include <QFile>
#include <QTemporaryDir>

#include <sched.h>
#include <sys/mount.h>

// A small tmpfs on a temporary folder, which fill() makes full: writes there meet "No space
// left on device", also as root. Mounted in a mount namespace of this thread's own where it can,
// so that not even a crash leaves it behind, and unmounted when the object goes. Mounting needs
// root: whyNot() says why it failed, for the test to skip.
class FullFilesystem {
public:
    FullFilesystem() {
        if (::unshare(CLONE_NEWNS) == 0)
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
        if (::mount("tmpfs", QFile::encodeName(folder_.path()).constData(), "tmpfs",
                    MS_NOSUID | MS_NODEV, "size=2m") != 0)
            whyNot_ = QStringLiteral("cannot mount a tmpfs: ") + qt_error_string(errno);
    }
    ~FullFilesystem() {
        if (whyNot_.isEmpty())
            ::umount2(QFile::encodeName(folder_.path()).constData(), MNT_DETACH);
    }

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
    QString whyNot_;
};
