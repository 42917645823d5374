#pragma once

#include "base/Shell.h"
#include "opener/HandOffFailures.h"
#include "opener/Launch.h"
#include "opener/LaunchReadiness.h"

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

// Hands an address to the desktop through xdg-open, started with the address as its one
// argument and "/" as its working folder: no shell, no quoting, no re-encoding of the address.
// One Launch a hand-off, one at a time: the hand-off has finished when that launch has (see
// Launch for its states and signs). Every xdg-open is reaped when it exits, also one that lives
// on as the browser. Its exit status and error output tell a failed hand-off, counted in the run
// by HandOffFailures.
class XdgShell : public Shell {
public:
    // The upper bound of a launch's wait, and the only rule where no sign of readiness can be
    // seen. Measured on a machine loaded 11 to 20 on 2 cores, Firefox ESR asked for its first
    // page up to 10.7 s after xdg-open's start; an address handed to it before is lost or doubled.
    static constexpr std::chrono::milliseconds defaultSettleTime{15000};

    // Hears each hand-off through xdg-open whose wait has ended: its address and how it ended.
    using FinishedHandOff = std::function<void(const QString& address, Launch::Outcome outcome)>;

    explicit XdgShell(std::chrono::milliseconds settleTime = defaultSettleTime);

    HandOff open(const QString& address) override;
    bool handOffFinished() const override;
    FailedHandOffs endRun() override { return failures_.endRun(); }

    // Tells `onFinished` of every hand-off through xdg-open from now on.
    void tellFinishedHandOffs(FinishedHandOff onFinished) { onFinished_ = std::move(onFinished); }
    // Launches that did not go through xdg-open (a browser's own command) count their
    // failures here too, and wait as long.
    HandOffFailures& failures() { return failures_; }
    std::chrono::milliseconds settleTime() const { return settleTime_; }
    // Launchers started and not yet reaped.
    int launchersRunning() const;

private:
    std::chrono::milliseconds settleTime_;
    HandOffFailures failures_;
    // The signs that a starting browser takes addresses, each watched during every wait.
    std::vector<std::unique_ptr<LaunchReadiness>> readinessSigns_;
    std::vector<LaunchReadiness*> signs_;           // the same, as each launch watches them
    std::vector<std::unique_ptr<Launch>> launches_; // the last one, and those not yet reaped
    FinishedHandOff onFinished_;
};
