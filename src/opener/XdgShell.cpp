#include "opener/XdgShell.h"

#include "opener/HandOverRule.h"
#include "opener/LaunchFailure.h"
#include "opener/LauncherChannelWatch.h"
#include "opener/LauncherWindowWatch.h"

#include <algorithm>
#include <utility>

XdgShell::XdgShell(std::chrono::milliseconds settleTime) : settleTime_(settleTime) {
    settleTimer_.setSingleShot(true);
    QObject::connect(&settleTimer_, &QTimer::timeout, &settleTimer_, [this] { endWait(); });
    readinessSigns_.push_back(std::make_unique<LauncherWindowWatch>());
    readinessSigns_.push_back(std::make_unique<LauncherChannelWatch>());
}

Shell::HandOff XdgShell::open(const QString& address) {
    if (const auto refused = refusedHandOff(address))
        return *refused;
    endWait(); // a caller that did not wait: the earlier hand-off is no longer watched
    lastEndedWithSession_ = false;
    std::erase_if(launchers_, [](const auto& launcher) { return launcher->hasExited(); });
    auto launcher = std::make_unique<Launcher>(
        address.toUtf8(),
        [this, round = failuresTaken_](Launcher& ended, int waitStatus) {
            // A launcher that outlived the last count had become the browser: never counted.
            if (round == failuresTaken_)
                if (const auto failure =
                        launchFailure(waitStatus, ended.errorOutput(), QStringLiteral("xdg-open")))
                    failed_.add(1, *failure);
            endWaitOnceSessionEnded();
        },
        [this] { endWaitOnceSessionEnded(); });
    if (const int error = launcher->startError()) {
        failed_.add(
            1, QStringLiteral("xdg-open could not be started: %1").arg(qt_error_string(error)));
        return HandOff::started; // nothing to wait for
    }
    waitingFor_ = launchers_.emplace_back(std::move(launcher)).get();
    for (const auto& sign : readinessSigns_)
        sign->watch(waitingFor_->session(), [this] { endWaitOnceSettled(); });
    settleTimer_.start(settleTime_);
    endWaitOnceSessionEnded();
    return HandOff::started;
}

void XdgShell::endWaitOnceSessionEnded() {
    if (waitingFor_ != nullptr && waitingFor_->sessionEnded()) {
        lastEndedWithSession_ = true;
        endWait();
    }
}

void XdgShell::endWaitOnceSettled() {
    if (waitingFor_ != nullptr && !settling_.watching())
        settling_.watch(waitingFor_->session(), [this] { endWait(); });
}

void XdgShell::endWait() {
    if (waitingFor_ == nullptr)
        return;
    settleTimer_.stop();
    settling_.stopWatching();
    for (const auto& sign : readinessSigns_)
        sign->stopWatching();
    std::exchange(waitingFor_, nullptr)->letGo();
}

Shell::FailedHandOffs XdgShell::takeFailedHandOffs() {
    ++failuresTaken_;
    return std::exchange(failed_, {});
}

int XdgShell::launchersRunning() const {
    return static_cast<int>(
        std::count_if(launchers_.begin(), launchers_.end(),
                      [](const auto& launcher) { return !launcher->hasExited(); }));
}
