#include "opener/RunningBrowserShell.h"

#include "opener/HandOverRule.h"
#include "opener/LaunchFailure.h"
#include "opener/XdgShell.h"

#include <QFileInfo>
#include <utility>

RunningBrowserShell::RunningBrowserShell(XdgShell& launcherShell, CommandLookup findCommand)
    : launcherShell_(launcherShell), findCommand_(std::move(findCommand)) {
    settleTimer_.setSingleShot(true);
    QObject::connect(&settleTimer_, &QTimer::timeout, &settleTimer_, [this] { endLaunch(); });
}

Shell::HandOff RunningBrowserShell::open(const QString& address) {
    if (const auto refused = refusedHandOff(address))
        return *refused;
    noteWhetherBrowserRuns();
    if (browser_ && isWebAddress(address)) {
        waiting_.append(address);
        launchWaiting();
        return HandOff::started;
    }
    // Behind the launches still to come, so that the browser gets the addresses in order.
    if (launch_ || !waiting_.isEmpty()) {
        held_ = address;
        return HandOff::started;
    }
    return handThroughXdgOpen(address);
}

bool RunningBrowserShell::handOffFinished() const {
    return launcherShell_.handOffFinished() && !held_;
}

bool RunningBrowserShell::everyHandOffFinished() const {
    return handOffFinished() && !launch_ && waiting_.isEmpty();
}

Shell::FailedHandOffs RunningBrowserShell::takeFailedHandOffs() {
    FailedHandOffs failed = launcherShell_.takeFailedHandOffs();
    const FailedHandOffs launched = std::exchange(failed_, {});
    failed.add(launched.count, launched.firstError);
    // The run has ended: the next one finds out again whether the browser runs.
    browser_.reset();
    lookedUp_ = false;
    return failed;
}

Shell::HandOff RunningBrowserShell::handThroughXdgOpen(const QString& address) {
    lastWasWebAddress_ = isWebAddress(address);
    failuresBefore_ = launcherShell_.failuresNotTaken();
    return launcherShell_.open(address);
}

void RunningBrowserShell::noteWhetherBrowserRuns() {
    // Once a run: the look-up asks xdg-mime, the session bus and the X server.
    if (lookedUp_ || !lastWasWebAddress_ || !launcherShell_.handOffFinished() ||
        !launcherShell_.lastHandOffEndedWithSession() ||
        launcherShell_.failuresNotTaken() != failuresBefore_)
        return;
    lookedUp_ = true;
    browser_ = findCommand_();
}

// Launches the browser with the next addresses waiting, all of them where it takes a list.
void RunningBrowserShell::launchNext() {
    QList<QByteArray> command;
    const qsizetype count = browser_->takesList ? waiting_.size() : 1;
    for (const QString& argument : browser_->launchWith(waiting_.first(count)))
        command.append(argument.toUtf8());
    waiting_.remove(0, count);
    const auto addresses = static_cast<int>(count);
    launch_ = std::make_unique<Launcher>(
        command,
        [this, addresses, program = QFileInfo(browser_->arguments.first()).fileName()](
            Launcher& ended, int waitStatus) {
            // A launch that outlived its wait had started the browser anew: never counted.
            if (&ended == launch_.get())
                if (const auto failure = launchFailure(waitStatus, ended.errorOutput(), program))
                    failed_.add(addresses, *failure);
            endLaunchOnceSessionEnded();
        },
        [this] { endLaunchOnceSessionEnded(); });
    if (const int error = launch_->startError()) {
        failed_.add(addresses, QStringLiteral("%1 could not be started: %2")
                                   .arg(browser_->arguments.first(), qt_error_string(error)));
        launch_.reset();
        return;
    }
    // The browser was closed during the run and this launch starts it anew: as long as a
    // starting browser needs, as for a hand-off through xdg-open. Its end is heard from the
    // event loop, as its exit is.
    settleTimer_.start(launcherShell_.settleTime());
}

void RunningBrowserShell::endLaunchOnceSessionEnded() {
    if (launch_ && launch_->sessionEnded())
        endLaunch();
}

void RunningBrowserShell::endLaunch() {
    if (!launch_)
        return;
    settleTimer_.stop();
    launch_->letGo();
    std::erase_if(startedBrowsers_, [](const auto& launch) { return launch->hasExited(); });
    if (!launch_->hasExited())
        startedBrowsers_.push_back(std::move(launch_));
    launch_.reset();
    launchWaiting();
}

void RunningBrowserShell::launchWaiting() {
    while (!launch_ && !waiting_.isEmpty())
        launchNext(); // leaves no launch under way when it could not be started
    if (!launch_ && held_)
        handThroughXdgOpen(*std::exchange(held_, std::nullopt));
}
