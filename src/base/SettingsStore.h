#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The per-user store of named string values. Each key is one file,
// <root>/<application>/<section>/<key>, holding the value's UTF-8 bytes exactly, so that
// writing the count never rewrites the list and a hand-edited value reads as typed.
// Nothing is cached: every read and write goes to the file at once.
class SettingsStore {
public:
    // The largest value read back by default; a bigger file is reported, not loaded.
    static constexpr qint64 defaultMaxValueBytes = qint64(2) << 30;

    explicit SettingsStore(QString root, qint64 maxValueBytes = defaultMaxValueBytes);

    // The store in the user's config folder ($XDG_CONFIG_HOME, else ~/.config).
    static SettingsStore forCurrentUser();

    // The stored value, or defaultValue when the key does not exist. Throws Failure when the
    // key exists but cannot be read.
    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) const;

    // The stored value as UTF-8 (bytes that are not UTF-8 read as Latin-1), or nothing when the
    // key does not exist. Throws Failure when the key exists but cannot be read.
    std::optional<QByteArray> readUtf8(const QString& application, const QString& section,
                                       const QString& key) const;

    // Replaces the stored value; a failure leaves the old value as it was and throws Failure.
    void write(const QString& application, const QString& section, const QString& key,
               const QString& value);

    // The same, for a value already encoded as UTF-8.
    void writeUtf8(const QString& application, const QString& section, const QString& key,
                   const QByteArray& bytes);

    // Copies the stored value to "<key>.bak" beside it (replacing an older copy), so that a
    // value that could not be read is not lost when the key is written next. Throws Failure.
    void keepBackup(const QString& application, const QString& section, const QString& key);

    QString pathOf(const QString& application, const QString& section, const QString& key) const;

private:
    QString root_;
    qint64 maxValueBytes_;
};
