#pragma once

#include "base/Shell.h"
#include "opener/ChildExitWatch.h"
#include "opener/LauncherChannelWatch.h"
#include "opener/LauncherErrorOutput.h"
#include "opener/LauncherWindowWatch.h"

#include <QTimer>
#include <chrono>
#include <memory>
#include <vector>

// Hands an address to the desktop through xdg-open, started with the address as its one
// argument and "/" as its working folder: no shell, no quoting, no re-encoding of the address.
//
// A hand-off has finished when xdg-open has exited (a running browser took the address), when
// the browser it has become has shown its window or opened its channel for further addresses
// (plus a margin), or when it has lasted the
// settle time (a starting browser loses or doubles addresses handed to it before it is ready).
// Every xdg-open is reaped when it exits, also one that lives on as the browser. Its exit
// status and error output tell a failed hand-off.
class XdgShell : public Shell {
public:
    // Measured under load: Firefox ESR took up to 4.7 s from xdg-open's start to its first page
    // and lost an address that came in up to 2 s before that; Chromium was ready within 1.5 s.
    // The upper bound of the wait, and the only rule where no window can be seen.
    static constexpr std::chrono::milliseconds defaultSettleTime{8000};
    // From the map of the starting browser's first window to the next hand-off. Measured under
    // load: every address handed at the map itself was shown; Firefox lost one handed 0.66 s
    // before it. The margin doubles that distance (docs/architecture.md has the figures).
    static constexpr std::chrono::milliseconds windowMargin{500};
    // From the moment the starting browser opens the channel over which a second start hands it
    // an address (seen also where no window can be: a native Wayland browser) to the next
    // hand-off. docs/architecture.md has the figures.
    static constexpr std::chrono::milliseconds channelMargin{500};

    explicit XdgShell(std::chrono::milliseconds settleTime = defaultSettleTime);

    HandOff open(const QString& address) override;
    bool handOffFinished() const override;
    // The launchers that exited with a failure since the last call, with the first and last
    // lines of error output of the first; a launcher that could not be started counts too.
    FailedHandOffs takeFailedHandOffs() override;

    // xdg-open processes started and not yet reaped.
    int launchersRunning() const;

private:
    void countFailure(const QString& why);

    std::chrono::milliseconds settleTime_;
    std::vector<std::unique_ptr<ChildExitWatch>> launchers_;
    const ChildExitWatch* lastLauncher_ = nullptr;
    QTimer settleTimer_; // its timeout also wakes a run that waits for the settle time
    bool settled_ = true;
    // Read to their end, also after their launcher has exited: what it started may write on.
    std::vector<std::shared_ptr<LauncherErrorOutput>> errorOutputs_;
    FailedHandOffs failed_;
    int failuresTaken_ = 0; // how often the failures were taken: a launcher counts in its round
    LauncherWindowWatch browserWindow_{windowMargin};
    LauncherChannelWatch browserChannel_;
};
