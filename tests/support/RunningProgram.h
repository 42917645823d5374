#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The real program under the X server in $DISPLAY, with its own temporary HOME and config
// folder. Store settings first, then start(); the window is driven with xdotool.
class RunningProgram {
public:
    RunningProgram() { environment_.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")); }
    ~RunningProgram() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // A value of the program's settings, as the raw UTF-8 bytes of its file.
    QString settingPath(const QString& key) const {
        return home_.path() + QStringLiteral("/config/Pellamark/Corvantis/") + key;
    }
    void storeSetting(const QString& key, const QByteArray& bytes) {
        QDir().mkpath(home_.path() + QStringLiteral("/config/Pellamark/Corvantis"));
        QFile file(settingPath(key));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot store a setting");
    }
    QByteArray storedSetting(const QString& key) const {
        QFile file(settingPath(key));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void setEnvironment(const QString& name, const QString& value) {
        environment_.insert(name, value);
    }

    // Starts the program and waits for its window named "Corvantis" to be shown. Returns what
    // went wrong, or an empty text.
    QString start() {
        environment_.insert(QStringLiteral("HOME"), home_.path());
        environment_.insert(QStringLiteral("XDG_CONFIG_HOME"),
                            home_.path() + QStringLiteral("/config"));
        environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        process_.setProcessEnvironment(environment_);
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(qEnvironmentVariable("CORVANTIS_PROGRAM_DIR") + QStringLiteral("/corvantis"),
                       {});
        if (!process_.waitForStarted(10000))
            return QStringLiteral("the program did not start: ") + process_.errorString();
        const QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            if (process_.state() != QProcess::Running)
                return QStringLiteral("the program ended at once, exit code %1")
                    .arg(process_.exitCode());
            window_ = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                               QStringLiteral("--pid"), QString::number(process_.processId()),
                               QStringLiteral("--name"), QStringLiteral("^Corvantis$")})
                          .trimmed();
            if (!window_.isEmpty()) {
                window_ = window_.split('\n').first();
                QTest::qWait(300); // let the window finish its first paint
                return {};
            }
            QTest::qWait(100);
        }
        return QStringLiteral("the program's window did not appear");
    }

    // Clicks at a point of the window's client area, in pixels.
    void clickAt(int x, int y) {
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"),
                 QString::fromUtf8(window_), QString::number(x), QString::number(y),
                 QStringLiteral("click"), QStringLiteral("1")});
    }

    // Ends the program as the session does at log-out (SIGTERM): a normal close that saves.
    // Returns the exit code, or -1 when it did not end normally.
    int terminate() {
        process_.terminate();
        if (!process_.waitForFinished(15000) || process_.exitStatus() != QProcess::NormalExit)
            return -1;
        return process_.exitCode();
    }

private:
    static QByteArray xdotool(const QStringList& arguments) {
        QProcess tool;
        tool.start(QStringLiteral("xdotool"), arguments);
        tool.waitForFinished(10000);
        return tool.readAllStandardOutput();
    }

    QTemporaryDir home_;
    QProcessEnvironment environment_ = QProcessEnvironment::systemEnvironment();
    QProcess process_;
    QByteArray window_;
};
