// What pacing the hand-offs costs with a real browser: with chromium already running, the time
// from the press of "Start Opening Websites" (N = 30) to the last page the browser asked for,
// against 30 plain xdg-open calls one after another, measured in the same run. Needs an X
// server in DISPLAY (./bench.sh starts one) and chromium.
#include "BenchSupport.h"
#include "Form1Controls.h"
#include "LocalWebServer.h"
#include "SessionBus.h"
#include "SilentDialogs.h"
#include "TestBrowserHome.h"
#include "app/SystemClock.h"
#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "base/SettingsStore.h"
#include "list/WebsiteList.h"
#include "opener/SeededRandom.h"
#include "opener/XdgShell.h"
#include "ui/Form1.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

constexpr int picks = 30;
constexpr double target = 1.5;

// Handles events until the server has seen `count` requests whose path begins with `prefix`.
bool waitForRequests(const LocalWebServer& server, const QString& prefix, int count) {
    const QDeadlineTimer deadline(120000);
    const auto seen = [&] {
        const QStringList paths = server.requestedPaths();
        return std::count_if(paths.begin(), paths.end(),
                             [&](const QString& path) { return path.startsWith(prefix); });
    };
    while (seen() < count && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return seen() >= count;
}

// Runs xdg-open ADDRESS to its end while the web server goes on answering.
void runXdgOpen(const QString& address) {
    QProcess process;
    process.start(QStringLiteral("xdg-open"), {address});
    process.waitForStarted();
    while (process.state() != QProcess::NotRunning)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") ||
        QStandardPaths::findExecutable(QStringLiteral("chromium")).isEmpty()) {
        std::fprintf(stderr, "needs an X server in DISPLAY and chromium\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen"); // the window; the browser uses DISPLAY
    QApplication app(argc, argv);

    QTemporaryDir home;
    const QString config = home.path() + QStringLiteral("/config");
    SessionBus bus;
    LocalWebServer server;
    TestBrowserHome browser(TestBrowserHome::Browser::chromium, home.path(), config);
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/.local/share")).toUtf8());
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "BROWSER"})
        qunsetenv(name);

    // Chromium running, its first page shown.
    QProcess::startDetached(QStringLiteral("setsid"),
                            {QStringLiteral("xdg-open"), server.address(QStringLiteral("/warm"))});
    if (!waitForRequests(server, QStringLiteral("/warm"), 1)) {
        std::fprintf(stderr, "chromium did not start\n");
        return 1;
    }
    QTest::qWait(2000);

    QElapsedTimer plain;
    plain.start();
    for (int call = 1; call <= picks; ++call)
        runXdgOpen(server.address(QStringLiteral("/plain/%1").arg(call)));
    const bool plainShown = waitForRequests(server, QStringLiteral("/plain/"), picks);
    const double plainSeconds = double(plain.nsecsElapsed()) / 1e9;

    SilentDialogs dialogs;
    XdgShell shell;
    SeededRandom random;
    SystemClock clock;
    SettingsStore settings(config);
    const Platform platform{dialogs, shell, random, clock, settings, home.path()};
    WebsiteList websites;
    Form1 window(platform, websites);
    window.Form_Load();
    for (int entry = 1; entry <= 50; ++entry)
        websites.append(server.address(QStringLiteral("/run/%1").arg(entry)));
    countBox(window)->setText(QString::number(picks));
    window.show();
    QCoreApplication::processEvents();

    QElapsedTimer run;
    run.start();
    startButton(window)->click();
    const bool runShown = waitForRequests(server, QStringLiteral("/run/"), picks);
    const double runSeconds = double(run.nsecsElapsed()) / 1e9;
    browser.quit();

    if (!plainShown || !runShown || dialogs.shown != 0) {
        std::fprintf(stderr, "pages missing (plain %d, run %d) or %d boxes shown\n", plainShown,
                     runShown, dialogs.shown);
        return 1;
    }
    bench::info("plain_xdg_open_30_to_last_page", plainSeconds, "s");
    bench::info("opening_run_30_to_last_page", runSeconds, "s");
    bench::report("paced_run_to_plain_xdg_open", runSeconds / plainSeconds, "ratio", "<=", target);
    return 0;
}
