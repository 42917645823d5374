#pragma once

#include "base/Shell.h"
#include "opener/BrowserLookup.h"
#include "opener/Launch.h"

#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class XdgShell;

// Hands addresses over through xdg-open one at a time until a hand-off of a web address has
// shown that the default browser runs: its launch ended with its whole session, with success
// (the browser took the address and forwarded it to its running instance), or the browser it
// started has given its sign and settled (browserReady). It looks up the browser's command in
// the background (BrowserLookup) from the first web address on, the run going on through
// xdg-open meanwhile; once both are known, until the run ends, the web addresses go straight to
// that browser, as xdg-open would launch it. The addresses given while a launch is under way wait
// and go in the next one, in the order they were given: a bounded batch where the browser's
// desktop entry takes a list (%U, LaunchBatch), else one per launch. The browser opens them as
// tabs of its window, at its own pace instead of one xdg-open's exit at a time.
//
// Only where the browser xdg-open runs is certain (DefaultBrowserCommand); elsewhere, and for
// every address that is not a web address, through xdg-open as before. A launch waits for its
// session to end, or for the settle time: one that lives on has started the browser anew (it
// was closed during the run).
class RunningBrowserShell : public Shell {
public:
    // lookup tells the command xdg-open runs for web addresses, or nothing.
    explicit RunningBrowserShell(XdgShell& launcherShell,
                                 BrowserLookup::Finder find = defaultBrowserCommand);

    HandOff open(const QString& address) override;
    bool handOffFinished() const override;
    bool everyHandOffFinished() const override;
    FailedHandOffs endRun() override;
    // The web addresses go straight to the browser now.
    bool goesStraightToTheBrowser() const {
        return browserRuns_ && lookup_.state() == BrowserLookup::State::found;
    }

private:
    void handOffFinishedThroughXdgOpen(const QString& address, Launch::Outcome outcome);
    // With no launch under way: starts the next one, or, when no address waits, hands the held
    // one over.
    void launchWaiting();
    void launchNext();

    XdgShell& launcherShell_;
    BrowserLookup lookup_;        // from the run's first web address through xdg-open
    bool browserRuns_ = false;    // a web address's hand-off has shown it, in this run
    QStringList waiting_;         // web addresses for the next launch
    std::optional<QString> held_; // any other address, until the launches before it have ended
    Launch* launch_ = nullptr;    // the launch under way
    bool starting_ = false;       // within launch_->start()
    std::vector<std::unique_ptr<Launch>> launches_; // that one, and those not yet reaped
};
