#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

// A headless weston on a socket in `runtimeFolder`, for browsers that run as native Wayland
// clients; ended with the test.
class HeadlessWeston {
public:
    static constexpr const char* socketName = "wayland-corvantis-test";
    explicit HeadlessWeston(const QString& runtimeFolder)
        : socket_(runtimeFolder + QLatin1Char('/') + QLatin1String(socketName)) {
        QDir().mkpath(runtimeFolder);
        QFile::setPermissions(runtimeFolder,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder);
        weston_.setProcessEnvironment(environment);
        weston_.start(QStringLiteral("weston"),
                      {QStringLiteral("--backend=headless-backend.so"),
                       QStringLiteral("--socket=") + QLatin1String(socketName),
                       QStringLiteral("--idle-time=0")});
    }
    ~HeadlessWeston() {
        weston_.terminate();
        weston_.waitForFinished(5000);
    }
    HeadlessWeston(const HeadlessWeston&) = delete;
    HeadlessWeston& operator=(const HeadlessWeston&) = delete;
    bool ready() const { return QFileInfo::exists(socket_); }

private:
    QString socket_;
    QProcess weston_;
};
