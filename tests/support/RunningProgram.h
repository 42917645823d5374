#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>

#include "AccessibleTree.h"
#include "SessionBus.h"
#include "X11CloseRequest.h"
#include "base/SettingsKeys.h"
#include "base/SettingsStore.h"

// The real program under the X server in $DISPLAY, with its own temporary HOME, config folder
// and runtime folder, so end-to-end tests see what a person's session would, and programs of
// different tests never meet. Its session has a session bus and an accessibility bus, so its
// controls are found by the names a screen reader reads out. Store settings first, then start();
// the window is driven with xdotool and closed as a window manager closes it.
class RunningProgram {
public:
    RunningProgram() {
        environment_.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        environment_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), sessionBus_.address());
        // Qt's bridge otherwise waits for the desktop's accessibility setting.
        environment_.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"),
                            QStringLiteral("1"));
    }
    // Starts this program in the session (HOME, config and runtime folder) of `first`.
    void joinSessionOf(const RunningProgram& first) { sessionHome_ = first.sessionHome_; }
    ~RunningProgram() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    QString homePath() const { return sessionHome_; }
    QString runtimeFolder() const { return sessionHome_ + QStringLiteral("/runtime"); }

    // A value of the program's settings, as the raw UTF-8 bytes of its file.
    QString settingPath(const QString& key) const {
        return SettingsStore(sessionHome_ + QStringLiteral("/config"))
            .pathOf(SettingsKeys::application, SettingsKeys::section, key);
    }
    void storeSetting(const QString& key, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(settingPath(key)).absolutePath());
        QFile file(settingPath(key));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot store a setting");
    }
    QByteArray storedSetting(const QString& key) const {
        QFile file(settingPath(key));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    void setEnvironment(const QString& name, const QString& value) {
        environment_.insert(name, value);
    }
    void removeEnvironment(const QString& name) { environment_.remove(name); }

    static QString defaultProgram() {
        return qEnvironmentVariable("CORVANTIS_PROGRAM_DIR") + QStringLiteral("/corvantis");
    }

    // Starts the program (or a launcher such as setpriv in front of it) and waits for its
    // window named "Corvantis" to be shown. Returns what went wrong, or an empty text.
    QString start(const QString& program = defaultProgram(), const QStringList& arguments = {}) {
        const QString failure = launch(program, arguments);
        return failure.isEmpty() ? waitForWindow() : failure;
    }

    // Starts the program without waiting for anything.
    QString launch(const QString& program = defaultProgram(), const QStringList& arguments = {}) {
        environment_.insert(QStringLiteral("HOME"), sessionHome_);
        environment_.insert(QStringLiteral("XDG_CONFIG_HOME"),
                            sessionHome_ + QStringLiteral("/config"));
        if (!environment_.contains(QStringLiteral("XDG_RUNTIME_DIR"))) {
            QDir().mkpath(runtimeFolder());
            QFile::setPermissions(runtimeFolder(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder());
        }
        environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        // On the session bus the test gave the program, or its own.
        accessibility_.emplace(environment_.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")));
        process_.setProcessEnvironment(environment_);
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(program, arguments);
        if (!process_.waitForStarted(10000))
            return QStringLiteral("the program did not start: ") + process_.errorString();
        return {};
    }

    // Waits for the started program's window. Returns what went wrong, or an empty text.
    QString waitForWindow() {
        const QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            if (process_.state() != QProcess::Running)
                return QStringLiteral("the program ended at once, exit code %1")
                    .arg(process_.exitCode());
            const QByteArray found =
                // --all: this program's window of that name, not any window of either.
                xdotool({QStringLiteral("search"), QStringLiteral("--all"),
                         QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                         QString::number(process_.processId()), QStringLiteral("--name"),
                         QStringLiteral("^Corvantis$")})
                    .trimmed();
            if (!found.isEmpty()) {
                window_ = found.split('\n').first().toULong();
                QTest::qWait(300); // let the window finish its first paint
                return {};
            }
            QTest::qWait(100);
        }
        return QStringLiteral("the program's window did not appear");
    }

    bool isRunning() const { return process_.state() != QProcess::NotRunning; }

    qint64 pid() const { return process_.processId(); }

    // The program's window as a screen reader reads it.
    const AccessibleTree& accessibleTree() {
        if (!accessibleTree_)
            accessibleTree_ = std::make_unique<AccessibleTree>(accessibility_->address(), pid());
        return *accessibleTree_;
    }

    // Clicks the middle of the control a screen reader names so (a button by its text), as a
    // person points at it. False when the program shows no such control.
    bool clickOn(const QString& name) {
        const std::optional<AccessibleObject> control = accessibleTree().waitFor(name);
        if (!control)
            return false;
        const QPoint middle = accessibleTree().extents(*control).center();
        xdotool({QStringLiteral("mousemove"), QString::number(middle.x()),
                 QString::number(middle.y()), QStringLiteral("click"), QStringLiteral("1")});
        return true;
    }

    // Types text into the window that has the keyboard focus, then presses Enter.
    static void typeAndEnter(const QString& text) {
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    }

    // The window that has the keyboard focus (0 when none does).
    static unsigned long focusedWindow() {
        return xdotool({QStringLiteral("getwindowfocus")}).trimmed().toULong();
    }
    bool hasInputFocus() const { return focusedWindow() == window_; }
    // Gives the input focus to the root window: no program's window has it then.
    static void focusNoWindow() {
        const QByteArray root = xdotool({QStringLiteral("search"), QStringLiteral("--maxdepth"),
                                         QStringLiteral("0"), QStringLiteral("--name"), QString()})
                                    .trimmed();
        xdotool(
            {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::fromLatin1(root)});
    }

    // Starts a second X server, on a number of its own choice, and returns its display (empty
    // when it did not start).
    static QString startXServer(QProcess& xvfb) {
        xvfb.start(QStringLiteral("Xvfb"),
                   {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
        if (!xvfb.waitForReadyRead(20000))
            return {};
        return QLatin1Char(':') + QString::fromLatin1(xvfb.readLine().trimmed());
    }

    // Sends the message a window manager sends when the close box is pressed.
    bool sendCloseRequest() const { return sendX11CloseRequest(window_); }

    // Waits for the program to end; its exit code, or -1 when it did not end normally.
    int waitForExit(int timeoutMs = 15000) {
        if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(timeoutMs))
            return -1;
        if (process_.exitStatus() != QProcess::NormalExit)
            return -1;
        return process_.exitCode();
    }

    // Ends the program as the session does at log-out (SIGTERM): a normal close that saves.
    int terminate() {
        process_.terminate();
        return waitForExit();
    }

private:
    static QByteArray xdotool(const QStringList& arguments) {
        QProcess tool;
        tool.start(QStringLiteral("xdotool"), arguments);
        tool.waitForFinished(10000);
        return tool.readAllStandardOutput();
    }

    QTemporaryDir home_;
    QString sessionHome_ = home_.path();
    SessionBus sessionBus_;
    std::optional<AccessibilityBus> accessibility_;
    std::unique_ptr<AccessibleTree> accessibleTree_;
    QProcessEnvironment environment_ = QProcessEnvironment::systemEnvironment();
    QProcess process_;
    unsigned long window_ = 0;
};
