#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <QTest>
#include <csignal>
#include <unistd.h>

// Makes Debian's chromium or firefox-esr the default browser of a temporary home, as a person's
// desktop does: a local .desktop file (taking a list of addresses for chromium, one for firefox,
// as Debian's own entries do), named the handler of http, https and HTML pages in
// mimeapps.list. The browser runs on a fresh profile inside the home with its first-run pages,
// default-browser checks, session restore, updates and background traffic turned off.
class TestBrowserHome {
public:
    enum class Browser { chromium, firefox };

    // homeFolder is $HOME, configFolder $XDG_CONFIG_HOME of the program under test. A
    // nativeWayland browser runs as a Wayland client of WAYLAND_DISPLAY. With a desktop (as in
    // XDG_CURRENT_DESKTOP), the browser is named in that desktop's own association file, and
    // the common one names a decoy that only notes what it is started with.
    TestBrowserHome(Browser browser, const QString& homeFolder, const QString& configFolder,
                    bool nativeWayland = false, const QString& desktop = {})
        : profile_(homeFolder + QStringLiteral("/browser-profile")),
          launches_(homeFolder + QStringLiteral("/launched")),
          directLaunches_(homeFolder + QStringLiteral("/launched-directly")),
          decoyLaunches_(homeFolder + QStringLiteral("/launched-decoy")) {
        QDir().mkpath(profile_);
        const QString launcher = homeFolder + QStringLiteral("/browser-launcher");
        // Every address the browser's entry is started with, through xdg-open, a desktop's
        // opener or the program under test itself; and those the program hands over itself.
        const QByteArray noteDirectLaunch = "printf '%s\\n' \"$@\" >> '" + launches_.toUtf8() +
                                            "'\n[ \"$(cat /proc/$PPID/comm)\" = corvantis ] && "
                                            "printf '%s\\n' \"$@\" >> '" +
                                            directLaunches_.toUtf8() + "'\n";
        if (browser == Browser::chromium) {
            // As root, chromium starts only without its sandbox.
            const QByteArray platform = nativeWayland ? "--ozone-platform=wayland " : "";
            write(launcher, "#!/bin/sh\n" + noteDirectLaunch + "exec chromium " + platform +
                                "--no-sandbox --test-type --user-data-dir='" + profile_.toUtf8() +
                                "' --no-first-run --no-default-browser-check "
                                "--disable-background-networking --disable-component-update "
                                "--disable-sync --password-store=basic "
                                "--disable-features=Translate,MediaRouter \"$@\"\n");
        } else {
            write(profile_ + QStringLiteral("/user.js"), firefoxPreferences());
            const QByteArray platform = nativeWayland ? "export MOZ_ENABLE_WAYLAND=1\n" : "";
            write(launcher, "#!/bin/sh\n" + noteDirectLaunch + platform +
                                "exec firefox-esr --profile '" + profile_.toUtf8() + "' \"$@\"\n");
        }
        QFile::setPermissions(launcher, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        write(homeFolder + QStringLiteral("/.local/share/applications/") +
                  QLatin1String(desktopFile),
              "[Desktop Entry]\nType=Application\nName=Test Browser\nExec=" + launcher.toUtf8() +
                  (browser == Browser::chromium ? " %U" : " %u") +
                  "\nMimeType=text/html;x-scheme-handler/http;x-scheme-handler/https;\n");
        const QString ownList = desktop.isEmpty() ? QString() : desktop.toLower() + u'-';
        write(configFolder + u'/' + ownList + QStringLiteral("mimeapps.list"),
              defaults(desktopFile));
        if (!desktop.isEmpty()) {
            const QString decoy = homeFolder + QStringLiteral("/decoy-launcher");
            write(decoy, "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + decoyLaunches_.toUtf8() + "'\n");
            QFile::setPermissions(decoy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            write(homeFolder + QStringLiteral("/.local/share/applications/") +
                      QLatin1String(decoyFile),
                  "[Desktop Entry]\nType=Application\nName=Decoy\nExec=" + decoy.toUtf8() +
                      " %U\nMimeType=text/html;x-scheme-handler/http;x-scheme-handler/https;\n");
            write(configFolder + QStringLiteral("/mimeapps.list"), defaults(decoyFile));
        }
    }
    ~TestBrowserHome() { quit(); }
    TestBrowserHome(const TestBrowserHome&) = delete;
    TestBrowserHome& operator=(const TestBrowserHome&) = delete;

    QString profile() const { return profile_; }
    // The addresses the browser's entry was started with, by anyone.
    QStringList launched() const { return linesOf(launches_); }
    // The addresses the program under test launched the browser's entry with itself.
    QStringList launchedDirectly() const { return linesOf(directLaunches_); }
    // The addresses the decoy of the common association file was started with.
    QStringList launchedDecoy() const { return linesOf(decoyLaunches_); }

    // Browser main processes on this profile: a second one is a second instance (its helper
    // processes carry --type= or -contentproc).
    int instances() const {
        int found = 0;
        for (const Process& process : profileProcesses())
            found += !process.commandLine.contains("--type=") &&
                     !process.commandLine.contains("-contentproc");
        return found;
    }

    // Ends every process of the sessions the browser runs in (it was started in a session of
    // its own), so that nothing of it outlives the test.
    void quit() const {
        QSet<qint64> sessions;
        for (const Process& process : profileProcesses())
            if (process.session != getsid(0))
                sessions.insert(process.session);
        for (int round = 0; round < 50 && !sessions.isEmpty(); ++round) {
            bool killed = false;
            for (const Process& process : allProcesses())
                if (sessions.contains(process.session)) {
                    ::kill(static_cast<pid_t>(process.pid), SIGKILL);
                    killed = true;
                }
            if (!killed)
                return;
            QTest::qWait(100);
        }
    }

private:
    static constexpr const char* desktopFile = "corvantis-test-browser.desktop";
    static constexpr const char* decoyFile = "corvantis-test-decoy.desktop";

    // An association file naming `entry` the handler of web addresses and pages.
    static QByteArray defaults(const char* entry) {
        return QByteArray("[Default Applications]\nx-scheme-handler/http=") + entry +
               "\nx-scheme-handler/https=" + entry + "\ntext/html=" + entry + "\n";
    }

    struct Process {
        qint64 pid;
        qint64 session;
        QByteArray commandLine;
    };

    static QList<Process> allProcesses() {
        QList<Process> processes;
        QDirIterator entries(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
        while (entries.hasNext()) {
            const QString folder = entries.next();
            bool isPid = false;
            const qint64 pid = QFileInfo(folder).fileName().toLongLong(&isPid);
            QFile stat(folder + QStringLiteral("/stat"));
            QFile commandLine(folder + QStringLiteral("/cmdline"));
            if (!isPid || !stat.open(QIODevice::ReadOnly) || !commandLine.open(QIODevice::ReadOnly))
                continue;
            // "pid (name) state ppid pgrp session ...": read from the name's last ')'.
            const QByteArray line = stat.readAll();
            const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
            processes.append({pid, fields.value(3).toLongLong(), commandLine.readAll()});
        }
        return processes;
    }

    QList<Process> profileProcesses() const {
        QList<Process> found;
        for (const Process& process : allProcesses())
            if (process.commandLine.contains(profile_.toUtf8()))
                found.append(process);
        return found;
    }

    static QByteArray firefoxPreferences() {
        QByteArray preferences;
        const char* const settings[][2] = {
            {"browser.shell.checkDefaultBrowser", "false"},
            {"browser.startup.homepage_override.mstone", "\"ignore\""},
            {"startup.homepage_welcome_url", "\"\""},
            {"startup.homepage_welcome_url.additional", "\"\""},
            {"browser.aboutwelcome.enabled", "false"},
            {"browser.startup.page", "0"},
            {"browser.startup.upgradeDialog.enabled", "false"},
            {"browser.sessionstore.resume_from_crash", "false"},
            {"toolkit.startup.max_resumed_crashes", "-1"},
            {"datareporting.policy.dataSubmissionEnabled", "false"},
            {"toolkit.telemetry.reportingpolicy.firstRun", "false"},
            {"app.update.enabled", "false"},
            {"app.update.auto", "false"},
            {"extensions.update.enabled", "false"},
            {"app.normandy.enabled", "false"},
            {"network.captive-portal-service.enabled", "false"},
            {"network.connectivity-service.enabled", "false"},
            {"browser.safebrowsing.malware.enabled", "false"},
            {"browser.safebrowsing.phishing.enabled", "false"},
            {"browser.safebrowsing.downloads.enabled", "false"},
            {"browser.safebrowsing.update.enabled", "false"},
            {"browser.newtabpage.enabled", "false"},
            {"browser.tabs.warnOnClose", "false"},
            {"browser.warnOnQuit", "false"},
            {"browser.sessionstore.interval", "1000"}, // its record of the tabs (FirefoxSession)
        };
        for (const auto& setting : settings)
            preferences += QByteArray("user_pref(\"") + setting[0] + "\", " + setting[1] + ");\n";
        return preferences;
    }

    static QStringList linesOf(const QString& path) {
        QFile log(path);
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    static void write(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    QString profile_;
    QString launches_;
    QString directLaunches_;
    QString decoyLaunches_;
};
