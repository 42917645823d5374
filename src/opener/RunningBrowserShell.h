#pragma once

#include "base/Shell.h"
#include "opener/DefaultBrowserCommand.h"
#include "opener/Launcher.h"

#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class XdgShell;

// Hands addresses over through xdg-open one at a time until a hand-off of a web address has
// shown that the default browser is already running (xdg-open's whole session ended, with
// success: the browser took the address and forwarded it to its running instance). From then
// on, until the run takes its failures, the web addresses go straight to that browser, as
// xdg-open would launch it: the addresses given while a launch is under way wait and go in the
// next one, in the order they were given, all together where the browser's desktop entry takes
// a list (%U), else one per launch. The browser opens them as tabs of its window, at its own
// pace instead of one xdg-open's exit at a time.
//
// Only where the browser xdg-open runs is certain (DefaultBrowserCommand); elsewhere, and for
// every address that is not a web address, through xdg-open as before. A launch that does not end
// within the settle time has started the browser anew (it was closed during the run): the next
// launch waits that long.
class RunningBrowserShell : public Shell {
public:
    using CommandLookup = std::function<std::optional<BrowserCommand>()>;

    // findCommand tells the command xdg-open runs for web addresses, or nothing.
    RunningBrowserShell(XdgShell& launcherShell, CommandLookup findCommand = defaultBrowserCommand);

    HandOff open(const QString& address) override;
    bool handOffFinished() const override;
    bool everyHandOffFinished() const override;
    FailedHandOffs takeFailedHandOffs() override;

private:
    HandOff handThroughXdgOpen(const QString& address);
    void noteWhetherBrowserRuns();
    // With no launch under way: starts the next one, or, when no address waits, hands the held
    // one over.
    void launchWaiting();
    void launchNext();
    void endLaunchOnceSessionEnded();
    void endLaunch();

    XdgShell& launcherShell_;
    CommandLookup findCommand_;
    std::optional<BrowserCommand> browser_; // known to be running, for this run
    bool lookedUp_ = false;                 // browser_ was looked up in this run
    bool lastWasWebAddress_ = false;        // the last hand-off through xdg-open
    int failuresBefore_ = 0;                // xdg-open's failures before that hand-off
    QStringList waiting_;                   // web addresses for the next launch
    std::optional<QString> held_;      // any other address, until the launches before it have ended
    std::unique_ptr<Launcher> launch_; // the launch under way
    std::vector<std::unique_ptr<Launcher>> startedBrowsers_; // launches that became the browser
    QTimer settleTimer_;
    FailedHandOffs failed_;
};
