#include "opener/XdgShell.h"

#include "opener/HandOverRule.h"
#include "opener/LauncherChannelWatch.h"
#include "opener/LauncherWindowWatch.h"
#include "opener/PageRequestWatch.h"

#include <algorithm>

XdgShell::XdgShell(std::chrono::milliseconds settleTime) : settleTime_(settleTime) {
    readinessSigns_.push_back(std::make_unique<LauncherWindowWatch>());
    readinessSigns_.push_back(std::make_unique<LauncherChannelWatch>());
    readinessSigns_.push_back(std::make_unique<PageRequestWatch>());
    for (const auto& sign : readinessSigns_)
        signs_.push_back(sign.get());
}

Shell::HandOff XdgShell::open(const QString& address) {
    if (const auto refused = refusedHandOff(address))
        return *refused;
    if (!launches_.empty())
        launches_.back()->stopWaiting(); // a caller that did not wait: no longer watched
    std::erase_if(launches_, [](const auto& launch) { return launch->hasExited(); });
    Launch& launch = *launches_.emplace_back(std::make_unique<Launch>(
        QList<QByteArray>{"xdg-open", address.toUtf8()}, Launch::Watch{settleTime_, signs_},
        Launch::Count{failures_, 1}, [this, address](Launch& finished) {
            if (onFinished_)
                onFinished_(address, finished.outcome());
        }));
    launch.start();
    return HandOff::started;
}

bool XdgShell::handOffFinished() const {
    return launches_.empty() || launches_.back()->state() == Launch::State::finished;
}

int XdgShell::launchersRunning() const {
    return static_cast<int>(std::count_if(launches_.begin(), launches_.end(),
                                          [](const auto& launch) { return !launch->hasExited(); }));
}
