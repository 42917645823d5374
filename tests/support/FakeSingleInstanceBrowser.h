#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>

// An `xdg-open` that behaves as a single-instance browser does when xdg-open starts it. Put its
// folder first on PATH. When no instance holds the lock, it becomes the browser: it takes a
// while to start and only then creates its lock, and it keeps running. When the lock exists, it
// forwards the address to the instance and exits. One that started without finding the lock
// that a starting instance was about to create records a second instance, as a real browser
// would open a second window or a profile-error box. Each outcome is one line of the log.
// Through a desktop's opener (gio open, kde-open, exo-open), the xdg-open returns at once and
// leaves the browser running in its session. Given a socket name, the instance listens on a
// socket of that name in its folder, as Chromium does for the addresses of later starts. A busy
// instance keeps one processor busy, as a browser does until it has shown its first page; one
// that wakes now and then works a few milliseconds every 100 ms, as an idle browser does; one
// that asks for its page is busy too, connected to the host and port of its http address (or
// to the port its fragment names).
class FakeSingleInstanceBrowser {
public:
    enum class Launch { becomesTheBrowser, throughAnOpener };
    enum class Work { idle, wakesNowAndThen, busy, asksForItsPage };

    explicit FakeSingleInstanceBrowser(const char* startSeconds = "0.3",
                                       Launch launch = Launch::becomesTheBrowser,
                                       const QByteArray& socketName = {}, Work work = Work::idle) {
        const QByteArray worker = work == Work::busy ? "while :; do :; done"
                                                     : "while :; do sleep 0.1; head -c 1 /dev/zero "
                                                       ">/dev/null; done";
        const QByteArray working = work == Work::idle ? QByteArray()
                                   : work == Work::asksForItsPage
                                       ? "timeout 8 python3 -c 'import socket, sys, urllib.parse\n"
                                         "page = urllib.parse.urlsplit(sys.argv[1])\n"
                                         "kept = socket.create_connection((page.hostname, "
                                         "int(page.fragment or page.port)))\n"
                                         "while True: pass' \"$1\" & "
                                       : "timeout 8 sh -c '" + worker + "' & ";
        // dbus-daemon stands in for any program that listens on a Unix socket.
        const QByteArray instance =
            working + (socketName.isEmpty()
                           ? QByteArray("sleep 600")
                           : "dbus-daemon --session --nofork --address=unix:path=\"$state/" +
                                 socketName + "\"");
        QFile script(binFolder() + QStringLiteral("/xdg-open"));
        if (!script.open(QIODevice::WriteOnly))
            qFatal("cannot write the fake browser");
        script.write("#!/bin/sh\n"
                     "state='" +
                     folder_.path().toUtf8() +
                     "'\n"
                     "if [ -d \"$state/lock\" ]; then\n"
                     "    printf 'forwarded %s\\n' \"$1\" >> \"$state/log\"\n"
                     "    exit 0\n"
                     "fi\n" +
                     // An opener takes a moment before it starts the browser, alone in the session
                     // meanwhile.
                     QByteArray(launch == Launch::throughAnOpener ? "sleep 0.1\n(\n" : "{\n") +
                     "sleep " + QByteArray(startSeconds) +
                     "\n"
                     "if ! mkdir \"$state/lock\" 2>/dev/null; then\n"
                     "    printf 'second-instance %s\\n' \"$1\" >> \"$state/log\"\n"
                     "    exit 0\n"
                     "fi\n"
                     "printf 'instance %s\\n' \"$1\" >> \"$state/log\"\n" +
                     instance +
                     " &\n" // the browser's process, a child of the launcher
                     "echo $! > \"$state/instance.pid\"\n"
                     "wait\n" +
                     QByteArray(launch == Launch::throughAnOpener ? ") &\n" : "}\n"));
        script.setPermissions(script.permissions() | QFile::ExeOwner);
    }
    ~FakeSingleInstanceBrowser() { quit(); }
    FakeSingleInstanceBrowser(const FakeSingleInstanceBrowser&) = delete;
    FakeSingleInstanceBrowser& operator=(const FakeSingleInstanceBrowser&) = delete;

    QByteArray pathWithBrowserFirst() const { return binFolder().toUtf8() + ':' + qgetenv("PATH"); }

    // The lines of the log: "instance ADDRESS", "forwarded ADDRESS", "second-instance ADDRESS".
    QByteArrayList log() const {
        QFile file(folder_.path() + QStringLiteral("/log"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QByteArrayList lines = file.readAll().split('\n');
        lines.removeAll(QByteArray());
        return lines;
    }
    qsizetype count(const QByteArray& outcome) const {
        qsizetype found = 0;
        for (const QByteArray& line : log())
            found += line.startsWith(outcome + ' ');
        return found;
    }

    // The browser process of the instance, a child of the xdg-open that became it; 0 before.
    pid_t instancePid() const {
        QFile pidFile(folder_.path() + QStringLiteral("/instance.pid"));
        return pidFile.open(QIODevice::ReadOnly) ? pidFile.readAll().trimmed().toInt() : 0;
    }

    // Ends the running instance, as a person closing the browser does.
    void quit() {
        if (const pid_t instance = instancePid())
            ::kill(instance, SIGTERM);
        QFile::remove(folder_.path() + QStringLiteral("/instance.pid"));
        QDir(folder_.path() + QStringLiteral("/lock")).removeRecursively();
    }

private:
    QString binFolder() const { return folder_.path(); }

    QTemporaryDir folder_;
};
