#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

// The real program started under the X server of $DISPLAY, with a home and config folder of
// its own, so end-to-end tests see exactly what a person's session would.
class RunningProgram {
public:
    QTemporaryDir home;
    QProcess process;

    QString configPath(const QString& key) const {
        return home.path() + QStringLiteral("/config/Pellamark/Corvantis/") + key;
    }
    void storeSetting(const QString& key, const QByteArray& bytes) const {
        QDir().mkpath(QFileInfo(configPath(key)).absolutePath());
        QFile file(configPath(key));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    QByteArray storedSetting(const QString& key) const {
        QFile file(configPath(key));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // Starts the program; extraPath goes first on PATH (for a recording xdg-open). A launcher
    // such as setpriv may stand in front of it: then program is the launcher.
    void start(const QString& extraPath = {}, const QString& program = defaultProgram(),
               const QStringList& arguments = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        if (!extraPath.isEmpty())
            env.insert(QStringLiteral("PATH"), extraPath + QLatin1Char(':') + env.value("PATH"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, arguments);
    }

    static QString defaultProgram() {
        return qEnvironmentVariable("CORVANTIS_PROGRAM_DIR") + QStringLiteral("/corvantis");
    }

    // The X window of the main window, once it is shown; 0 when it does not appear in time.
    unsigned long waitForWindow(int timeoutMs = 20000) {
        QProcess search;
        search.start(QStringLiteral("xdotool"),
                     {"search", "--sync", "--onlyvisible", "--pid",
                      QString::number(process.processId()), "--name", "^Corvantis$"});
        if (!search.waitForFinished(timeoutMs)) {
            search.kill();
            search.waitForFinished();
            return 0;
        }
        window_ = search.readAllStandardOutput().split('\n').value(0).trimmed().toULong();
        return window_;
    }

    // Clicks at a point of the window's client area, as a person would.
    bool click(int x, int y) const {
        return QProcess::execute(QStringLiteral("xdotool"),
                                 {"mousemove", "--sync", "--window", QString::number(window_),
                                  QString::number(x), QString::number(y), "click", "1"}) == 0;
    }

    // Sends the message a window manager sends when the close box is pressed.
    bool sendCloseRequest() const {
        Display* display = XOpenDisplay(nullptr);
        if (display == nullptr)
            return false;
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window_;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] =
            static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        const Status sent = XSendEvent(display, window_, False, NoEventMask, &event);
        XFlush(display);
        XCloseDisplay(display);
        return sent != 0;
    }

    bool waitForExit(int timeoutMs = 20000) {
        return process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit;
    }

    ~RunningProgram() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }

private:
    unsigned long window_ = 0;
};
