#include "opener/RunningBrowserShell.h"

#include "opener/HandOverRule.h"
#include "opener/LaunchBatch.h"
#include "opener/XdgShell.h"

#include <utility>

RunningBrowserShell::RunningBrowserShell(XdgShell& launcherShell, BrowserLookup::Finder find)
    : launcherShell_(launcherShell), lookup_(std::move(find)) {
    launcherShell_.tellFinishedHandOffs([this](const QString& address, Launch::Outcome outcome) {
        handOffFinishedThroughXdgOpen(address, outcome);
    });
}

Shell::HandOff RunningBrowserShell::open(const QString& address) {
    if (const auto refused = refusedHandOff(address))
        return *refused;
    std::erase_if(launches_, [this](const auto& launch) {
        return launch.get() != launch_ && launch->hasExited();
    });
    if (goesStraightToTheBrowser() && isWebAddress(address)) {
        waiting_.append(address);
        launchWaiting();
        return HandOff::started;
    }
    // Behind the launches still to come, so that the browser gets the addresses in order.
    if (launch_ || !waiting_.isEmpty()) {
        held_ = address;
        return HandOff::started;
    }
    // Looked up while the hand-off shows whether the browser runs, so that the answer is there
    // when it does.
    if (isWebAddress(address) && lookup_.state() == BrowserLookup::State::idle)
        lookup_.start([] {});
    return launcherShell_.open(address);
}

bool RunningBrowserShell::handOffFinished() const {
    return launcherShell_.handOffFinished() && !held_;
}

bool RunningBrowserShell::everyHandOffFinished() const {
    return handOffFinished() && !launch_ && waiting_.isEmpty();
}

Shell::FailedHandOffs RunningBrowserShell::endRun() {
    lookup_.reset(); // the next run finds out again whether the browser runs
    browserRuns_ = false;
    return launcherShell_.endRun();
}

void RunningBrowserShell::handOffFinishedThroughXdgOpen(const QString& address,
                                                        Launch::Outcome outcome) {
    // Its whole session ended with success: a running browser took the address. Or the browser
    // it started has shown its window and settled: it runs now, and takes the further addresses
    // as a running one does.
    browserRuns_ = browserRuns_ || ((outcome == Launch::Outcome::sessionEndedWithSuccess ||
                                     outcome == Launch::Outcome::browserReady) &&
                                    isWebAddress(address));
}

// Launches the browser with the next addresses waiting.
void RunningBrowserShell::launchNext() {
    const BrowserCommand& browser = *lookup_.command();
    const qsizetype count = nextBatchSize(waiting_, browser.takesList);
    QList<QByteArray> command;
    for (const QString& argument : browser.launchWith(waiting_.first(count)))
        command.append(argument.toUtf8());
    waiting_.remove(0, count);
    launch_ = launches_
                  .emplace_back(std::make_unique<Launch>(
                      command, Launch::Watch{launcherShell_.settleTime(), {}},
                      Launch::Count{launcherShell_.failures(), static_cast<int>(count)},
                      [this](Launch&) {
                          launch_ = nullptr;
                          if (!starting_) // else the loop in launchWaiting() goes on
                              launchWaiting();
                      }))
                  .get();
    starting_ = true;
    launch_->start(); // finished at once when it cannot be started
    starting_ = false;
}

void RunningBrowserShell::launchWaiting() {
    while (!launch_ && !waiting_.isEmpty())
        launchNext(); // leaves no launch under way when it could not be started
    if (!launch_ && held_)
        launcherShell_.open(*std::exchange(held_, std::nullopt));
}
