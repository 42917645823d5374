#pragma once

#include "base/FileDescriptor.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <sys/stat.h>

// The one way the program writes a file. The new contents go to a temporary file in the
// target's folder; every write, the final sync and the close are checked, and only then does
// the temporary file take the target's name. Until commit() has succeeded, and whenever
// anything fails, the target stays byte for byte as it was and the temporary file is removed.
// (QSaveFile is not enough: Qt 6.4's commit() reports success after its buffered write failed
// on a full disk, leaving an empty file.)
//
// A symbolic link is written through to the regular file it names, so that a link into a
// dotfiles folder stays a link; but a link the kernel would not follow either (one another user
// owns in a sticky world-writable folder such as /tmp) is refused. Anything that is not a
// regular file at the target (a folder, a FIFO, a device, also behind a link) is refused and
// left alone.
//
// The temporary file is hidden and named after the target and the writing process
// (".<name>.saving-<pid>-<random>"), so that one left by a process that was killed while it
// wrote is recognised and removed by the next write of the same file.
//
// Every failure throws Failure naming the path as given and the system's reason ("No space
// left on device").
class AtomicFileWriter {
public:
    enum class Fallback {
        None,
        // Where no file can be created in the folder but the target itself may be written, it
        // is written in place; a failure then leaves it half written.
        WriteInPlace,
    };

    explicit AtomicFileWriter(QString path, Fallback fallback = Fallback::None);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // The permission bits the new file gets, instead of the target's (or, for a new file, those
    // the umask leaves). Before open().
    void setPermissions(mode_t permissions);

    void open();
    void write(QByteArrayView bytes);
    void commit();

    // Replaces the file at the path by the bytes, or leaves it as it was and throws Failure.
    static void writeWhole(const QString& path, QByteArrayView bytes);

private:
    // Creates the temporary file, with the permissions of the target when there is one.
    // False, with errno set, when the folder takes no new file.
    bool createTemporary(bool targetExists, const struct stat& target);
    void keepOwner(const struct stat& target);
    // Closes and removes the temporary file; the target is untouched.
    void discard();
    [[noreturn]] void fail(const char* verb, int error);

    QString path_; // as given, for the reports
    Fallback fallback_;
    std::optional<mode_t> permissions_;
    QByteArray target_;    // the file that gets the contents: the path, or where its links lead
    QByteArray temporary_; // empty while there is none, and when writing in place
    FileDescriptor file_;
};
