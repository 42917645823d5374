#pragma once

#include "FakeDesktop.h"
#include "FakeDialogs.h"
#include "TestFiles.h"
#include "base/Platform.h"
#include "base/SettingsKeys.h"
#include "base/SettingsStore.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

// Everything a window needs, faked where the desktop would be touched and real elsewhere:
// the settings live in real files under a temporary config folder, and the program folder
// is a temporary folder that a test fills with fixtures.
class TestPlatform {
public:
    FakeDialogs dialogs;
    FakeShell shell;
    ScriptedRandom random;
    FixedClock clock;
    QTemporaryDir configFolder;
    QTemporaryDir programFolder;
    SettingsStore settings{configFolder.path()};

    Platform platform() { return {dialogs, shell, random, clock, settings, programFolder.path()}; }

    // The file behind a key of the program's section.
    QString settingPath(const QString& key) const {
        return settings.pathOf(SettingsKeys::application, SettingsKeys::section, key);
    }
    void storeSetting(const QString& key, const QByteArray& bytes) {
        writeFixture(settingPath(key), bytes);
    }
    QByteArray storedSetting(const QString& key) const {
        QFile file(settingPath(key));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    bool hasSetting(const QString& key) const { return QFileInfo(settingPath(key)).isFile(); }

    // Puts a file into the program folder (creating subfolders) and returns its path.
    QString placeInProgramFolder(const QString& relativePath, const QByteArray& bytes) {
        const QString path = programFolder.filePath(relativePath);
        writeFixture(path, bytes);
        return path;
    }
};
