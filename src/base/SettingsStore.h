#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <limits>
#include <optional>

// The per-user store of named string values. Each key is one file,
// <root>/<application>/<section>/<key>, holding the value's UTF-8 bytes exactly, so that
// writing the count never rewrites the list and a hand-edited value reads as typed.
// Nothing is cached: every read and write goes to the file at once. Only regular files are
// read (a FIFO or a device at a key is reported and left alone), and every write goes through
// AtomicFileWriter: a failed write leaves the old value as it was.
class AtomicFileWriter;

class SettingsStore {
public:
    // The largest value read back by default: no size of its own, only memory limits it, so
    // that every value written (a list of more than 2 GiB, too) is read back. A value that does
    // not fit in memory fails to load with the report of that. A smaller limit given to the
    // constructor makes a bigger file reported, not loaded.
    static constexpr qint64 defaultMaxValueBytes = std::numeric_limits<qint64>::max() - 1;

    explicit SettingsStore(QString root, qint64 maxValueBytes = defaultMaxValueBytes);

    // The store in the user's config folder ($XDG_CONFIG_HOME, else ~/.config).
    static SettingsStore forCurrentUser();

    // The stored value (bytes that are not UTF-8 read as Latin-1), or defaultValue when the
    // key does not exist. Throws Failure when the key exists but cannot be read.
    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) const;

    // The stored bytes as they are, less one trailing line end that an editor may have added,
    // or nothing when the key does not exist. Throws Failure when the key exists but cannot
    // be read.
    std::optional<QByteArray> readBytes(const QString& application, const QString& section,
                                        const QString& key) const;

    // Replaces the stored value; a failure leaves the old value as it was and throws Failure.
    void write(const QString& application, const QString& section, const QString& key,
               const QString& value);

    // The same, for a value already encoded as UTF-8.
    void writeUtf8(const QString& application, const QString& section, const QString& key,
                   const QByteArray& bytes);

    // The same, for a value written in pieces: writeValue writes the UTF-8 bytes through the
    // writer it is given, so that a large value needs no second copy in memory.
    void writeUtf8(const QString& application, const QString& section, const QString& key,
                   const std::function<void(AtomicFileWriter&)>& writeValue);

    // Copies the stored value to copyKey beside it, with its permission bits, so that a value
    // that could not be read is kept whatever happens to it later. What is at copyKey is
    // replaced only by a complete copy. Returns false, doing nothing, when no regular file is
    // stored. Throws Failure.
    bool keepCopy(const QString& application, const QString& section, const QString& key,
                  const QString& copyKey);

    QString pathOf(const QString& application, const QString& section, const QString& key) const;

private:
    QString root_;
    qint64 maxValueBytes_;
};
