#pragma once

#include <QString>

// Hands one address to the desktop, which opens it in the default browser.
class Shell {
public:
    // What became of an address given to open().
    enum class HandOff {
        started,      // a launcher was started with it, or could not be (told afterwards)
        notAnAddress, // never handed over: the launcher would read it as an option of its own
        holdsNul      // never handed over: the launcher's argument would end at the NUL
    };

    // Hand-offs that failed: their launcher could not be started or ended with a failure.
    struct FailedHandOffs {
        int count = 0;
        QString firstError; // what the first of them said: its first and last lines of error output

        // Counts `failures` more hand-offs that failed; `why` is kept if they are the first.
        void add(int failures, const QString& why) {
            if (count == 0 && failures > 0)
                firstError = why;
            count += failures;
        }
    };

    virtual ~Shell() = default;
    virtual HandOff open(const QString& address) = 0;
    // True when the last hand-off no longer needs the desktop to itself: its launcher has
    // exited, or it has had the time a starting browser needs before it takes further addresses.
    // Until then, a further open() may race it (a second browser, a lost address).
    virtual bool handOffFinished() const = 0;
    // True when every address given to open() has been handed over and its hand-off has
    // finished; a shell that hands over one address at a time is then handOffFinished().
    virtual bool everyHandOffFinished() const { return handOffFinished(); }
    // The run has ended: the hand-offs of it that failed. One whose launcher is still running
    // now has become the browser, or is on its way: it is never counted, not even if it fails
    // later. What the shell learnt during the run (that the browser runs) is forgotten: the next
    // run finds out afresh. A shell that cannot tell says none.
    virtual FailedHandOffs endRun() { return {}; }
};
