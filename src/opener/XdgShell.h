#pragma once

#include "base/Shell.h"
#include "opener/LaunchReadiness.h"
#include "opener/Launcher.h"

#include <QTimer>
#include <chrono>
#include <memory>
#include <vector>

// Hands an address to the desktop through xdg-open, started with the address as its one
// argument and "/" as its working folder: no shell, no quoting, no re-encoding of the address.
//
// A hand-off has finished when every process of the launcher's session has ended (a running
// browser took the address, whichever opener xdg-open went through), when a sign of readiness
// came from the browser it started (its first window, or its channel for further addresses,
// plus a margin), or when it has lasted the settle time (a starting browser loses or doubles
// addresses handed to it before it is ready).
// Every xdg-open is reaped when it exits, also one that lives on as the browser; once its wait
// has ended, a hand-off holds no descriptor. Its exit status and error output tell a failed
// hand-off.
class XdgShell : public Shell {
public:
    // Measured under load: Firefox ESR took up to 4.7 s from xdg-open's start to its first page
    // and lost an address that came in up to 2 s before that; Chromium was ready within 1.5 s.
    // The upper bound of the wait, and the only rule where no sign of readiness can be seen.
    static constexpr std::chrono::milliseconds defaultSettleTime{8000};
    // From the map of the starting browser's first window to the next hand-off. Measured under
    // load: every address handed at the map itself was shown; Firefox lost one handed 0.66 s
    // before it. The margin doubles that distance (docs/architecture.md has the figures).
    static constexpr std::chrono::milliseconds windowMargin{500};
    // From the moment the starting browser opens its channel for the addresses of later starts
    // (seen also for a native Wayland browser, which shows no X window) to the next hand-off.
    // Measured: every address handed at that moment itself was shown (docs/architecture.md).
    static constexpr std::chrono::milliseconds channelMargin{500};

    explicit XdgShell(std::chrono::milliseconds settleTime = defaultSettleTime);

    HandOff open(const QString& address) override;
    bool handOffFinished() const override { return waitingFor_ == nullptr; }
    // The launchers that exited with a failure since the last call, with the first and last
    // lines of error output of the first; a launcher that could not be started counts too.
    FailedHandOffs takeFailedHandOffs() override;

    // xdg-open processes started and not yet reaped.
    int launchersRunning() const;
    // The last hand-off ended with the end of its launcher's whole session: whatever took the
    // address (a running browser) was already running.
    bool lastHandOffEndedWithSession() const { return lastEndedWithSession_; }
    // Failed hand-offs counted since failures were last taken.
    int failuresNotTaken() const { return failed_.count; }

private:
    void countFailure(const QString& why);
    void endWaitOnceSessionEnded();
    void endWait();

    std::chrono::milliseconds settleTime_;
    std::vector<std::unique_ptr<Launcher>> launchers_; // started and not yet reaped
    Launcher* waitingFor_ = nullptr;                   // the last hand-off, until its wait ends
    bool lastEndedWithSession_ = false;
    QTimer settleTimer_; // its timeout also wakes a run that waits for the settle time
    // The signs that a starting browser takes addresses, each watched during every wait.
    std::vector<std::unique_ptr<LaunchReadiness>> readinessSigns_;
    FailedHandOffs failed_;
    int failuresTaken_ = 0; // how often the failures were taken: a launcher counts in its round
};
