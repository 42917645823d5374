#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class AtomicFileWriter;
class SettingsStore;

// The program's own values in the settings store (SettingsKeys.h names them): the one place
// that knows the application and section they are kept under.
class ProgramSettings {
public:
    explicit ProgramSettings(SettingsStore& store) : store_(store) {}

    QString pathOf(const QString& key) const;
    // The value's bytes, or nothing when it is not stored. Throws Failure.
    std::optional<QByteArray> readBytes(const QString& key) const;
    // Replaces the value, written in pieces; a failure leaves it as it was and throws Failure.
    void write(const QString& key, const std::function<void(AtomicFileWriter&)>& writeValue);
    // Copies the value to the first free of "<key>.bak", "<key>.bak-2", ... beside it, so that
    // no earlier copy is ever written over: the key of the copy, or nothing when no regular file
    // is stored. Throws Failure.
    std::optional<QString> keepBackup(const QString& key);

    // The count of websites to open, as typed ("3" when none is stored). Throws Failure.
    QString count() const;
    void storeCount(const QString& typed);

    // Where a list that could not be stored in place goes: the first of "Websites.new",
    // "Websites.new-2", ... that is free, so that an earlier one is never written over.
    QString freeKeyBesideList() const;
    // The paths of the lists kept beside the stored one by earlier sessions, oldest first (in
    // the order freeKeyBesideList gives out their names).
    QStringList listsKeptBeside() const;

private:
    // The first of "<first>", "<first>-2", ... at which nothing is, not even a link to nothing.
    QString freeKey(const QString& first) const;

    SettingsStore& store_;
};
