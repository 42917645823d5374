#pragma once

#include <QString>

// Hands one address to the desktop, which opens it in the default browser.
class Shell {
public:
    // What became of an address given to open().
    enum class HandOff {
        started,     // a launcher was started with it, or could not be (the desktop says nothing)
        notAnAddress // never handed over: the launcher would read it as an option of its own
    };

    virtual ~Shell() = default;
    virtual HandOff open(const QString& address) = 0;
    // True when the last hand-off no longer needs the desktop to itself: its launcher has
    // exited, or it has had the time a starting browser needs before it takes further addresses.
    // Until then, a further open() may race it (a second browser, a lost address).
    virtual bool handOffFinished() const = 0;
};
