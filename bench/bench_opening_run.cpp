// The opening run's own cost per pick, against the cost of one hand-off to the desktop. The
// waits for the desktop to take each hand-off are not part of it (the shell here has finished
// every hand-off at once); bench_paced_hand_off measures them with a real browser.
//
// A real Form1 on the offscreen platform, shown, with a 1,000,000-entry list, runs 100,000
// picks through "Start Opening Websites" with a shell that opens nothing: what is measured is
// the program's part of each pick (progress value, one yield to the event loop, reseed and
// draw, reading the entry). The reference is the least a hand-off costs: spawning /bin/true
// once, measured in the same run.
#include "Form1Controls.h"
#include "SilentDialogs.h"
#include "app/SystemClock.h"
#include "base/ErrorReport.h"
#include "base/SettingsStore.h"
#include "list/WebsiteList.h"
#include "opener/SeededRandom.h"
#include "opener/XdgShell.h"
#include "ui/Form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr int listSize = 1'000'000;
constexpr int picks = 100'000;
constexpr double target = 0.05;

class NullShell : public Shell {
public:
    long long handedOver = 0;
    HandOff open(const QString& address) override {
        handedOver += address.size() > 0;
        return HandOff::started;
    }
    bool handOffFinished() const override { return true; }
};

// Median microseconds of spawning /bin/true and waiting for it: the least that handing an
// address to any program costs.
double handOffMicroseconds() {
    std::vector<double> samples;
    char program[] = "/bin/true";
    char* const arguments[] = {program, nullptr};
    for (int run = 0; run < 41; ++run) {
        QElapsedTimer timer;
        timer.start();
        pid_t child = 0;
        if (posix_spawn(&child, program, nullptr, nullptr, arguments, environ) == 0)
            waitpid(child, nullptr, 0);
        samples.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    return samples[samples.size() / 2];
}

// Median microseconds the window spends in one real hand-off, with an xdg-open that does
// nothing first on PATH. Measured while the program holds its large list.
double xdgShellMicroseconds(const QString& binFolder) {
    QFile::link(QStringLiteral("/bin/true"), binFolder + QStringLiteral("/xdg-open"));
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", binFolder.toUtf8() + ':' + oldPath);
    XdgShell shell;
    std::vector<double> samples;
    for (int run = 0; run < 41; ++run) {
        QElapsedTimer timer;
        timer.start();
        shell.open(QStringLiteral("http://example.com/"));
        samples.push_back(double(timer.nsecsElapsed()) / 1000.0);
        // Not timed: the wait for the launcher to exit, which also reaps it.
        while (!shell.handOffFinished())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    qputenv("PATH", oldPath);
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir config;
    SilentDialogs dialogs;
    NullShell shell;
    SeededRandom random;
    SystemClock clock;
    SettingsStore settings(config.path());
    const Platform platform{dialogs, shell, random, clock, settings, config.path()};

    WebsiteList websites;
    Form1 window(platform, websites);
    window.Form_Load();
    {
        WebsiteList::BulkAppend append(websites);
        for (int entry = 0; entry < listSize; ++entry)
            append.add(QStringLiteral("http://site%1.example/page").arg(entry));
    }
    countBox(window)->setText(QString::number(picks));
    window.show();
    QCoreApplication::processEvents();

    const double handOff = handOffMicroseconds();
    const double xdgShell = xdgShellMicroseconds(config.path());
    QElapsedTimer timer;
    timer.start();
    startButton(window)->click();
    const double perPick = double(timer.nsecsElapsed()) / 1000.0 / picks;

    if (shell.handedOver != picks || dialogs.shown != 0) {
        std::fprintf(stderr, "the run made %lld hand-offs and showed %d boxes\n", shell.handedOver,
                     dialogs.shown);
        return 1;
    }
    std::printf("     handoff_spawn_true %.1f us (reference: spawning /bin/true once)\n", handOff);
    std::printf("     xdg_shell_open %.1f us (one real hand-off, with a list of %d entries "
                "held)\n",
                xdgShell, listSize);
    std::printf("     opening_run_cost_per_pick %.2f us (%d picks, %d entries, real Form1)\n",
                perPick, picks, listSize);
    std::printf("BENCH opening_run_pick_to_handoff %.4f ratio target <= %.2f\n", perPick / handOff,
                target);
    return 0;
}
