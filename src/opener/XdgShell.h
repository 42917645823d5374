#pragma once

#include "base/Shell.h"
#include "opener/LaunchReadiness.h"
#include "opener/Launcher.h"
#include "opener/SessionQuietWatch.h"

#include <QTimer>
#include <chrono>
#include <memory>
#include <vector>

// Hands an address to the desktop through xdg-open, started with the address as its one
// argument and "/" as its working folder: no shell, no quoting, no re-encoding of the address.
//
// A hand-off has finished when every process of the launcher's session has ended (a running
// browser took the address, whichever opener xdg-open went through), when a sign of readiness
// came from the browser it started (its first window, or a socket it listens on) and the
// session has settled after it, or when it has lasted the settle time (a starting browser loses
// or doubles addresses handed to it before it is ready).
// Every xdg-open is reaped when it exits, also one that lives on as the browser; once its wait
// has ended, a hand-off holds no descriptor. Its exit status and error output tell a failed
// hand-off.
class XdgShell : public Shell {
public:
    // The upper bound of the wait, and the only rule where no sign of readiness can be seen.
    // Measured on a machine loaded 11 to 20 on 2 cores, Firefox ESR asked for its first page
    // up to 10.7 s after xdg-open's start; an address handed to it before is lost or doubled.
    static constexpr std::chrono::milliseconds defaultSettleTime{15000};

    explicit XdgShell(std::chrono::milliseconds settleTime = defaultSettleTime);

    HandOff open(const QString& address) override;
    bool handOffFinished() const override { return waitingFor_ == nullptr; }
    // The launchers that exited with a failure since the last call, with the first and last
    // lines of error output of the first; a launcher that could not be started counts too.
    FailedHandOffs takeFailedHandOffs() override;

    // xdg-open processes started and not yet reaped.
    int launchersRunning() const;
    // The longest wait for one hand-off.
    std::chrono::milliseconds settleTime() const { return settleTime_; }
    // The last hand-off ended with the end of its launcher's whole session: whatever took the
    // address (a running browser) was already running.
    bool lastHandOffEndedWithSession() const { return lastEndedWithSession_; }
    // Failed hand-offs counted since failures were last taken.
    int failuresNotTaken() const { return failed_.count; }

private:
    void endWaitOnceSessionEnded();
    void endWaitOnceSettled();
    void endWait();

    std::chrono::milliseconds settleTime_;
    std::vector<std::unique_ptr<Launcher>> launchers_; // started and not yet reaped
    Launcher* waitingFor_ = nullptr;                   // the last hand-off, until its wait ends
    bool lastEndedWithSession_ = false;
    QTimer settleTimer_; // its timeout also wakes a run that waits for the settle time
    // The signs that a starting browser takes addresses, each watched during every wait.
    std::vector<std::unique_ptr<LaunchReadiness>> readinessSigns_;
    SessionQuietWatch settling_; // from the first sign until the session has settled
    FailedHandOffs failed_;
    int failuresTaken_ = 0; // how often the failures were taken: a launcher counts in its round
};
