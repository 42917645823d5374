#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The command line that starts the browser xdg-open would start for a web address, where that
// can be known for certain, so that further addresses for the same browser can be handed over
// in one launch.
//
// Known where the browser is the default handler of the association files and nothing else
// decides (opener/DesktopOpenerChoice): under a bare window manager, where xdg-open runs the
// entry itself, and on GNOME, Plasma 5 and Xfce as their openers read it, the desktop's own
// mimeapps.list first. Wherever the choice could follow other settings, or an entry might be
// read differently by xdg-open, the desktop's opener or GLib, nothing is known and the caller
// keeps handing over through xdg-open.
struct BrowserCommand {
    QStringList arguments;     // the program first, as xdg-open finds it in PATH
    qsizetype addressesAt = 0; // where the addresses go: the place of the entry's %U or %u
    bool takesList = false;    // %U: many addresses in one launch; %u: one

    // The launch of the command with these addresses, in this order.
    QStringList launchWith(const QStringList& addresses) const;
};

// An address xdg-open hands to the handler of x-scheme-handler/http or .../https, and that it
// reads the same way as the desktop entry's launch does: no white space or control character.
bool isWebAddress(const QString& address);

// The command of an Exec value, read as xdg-open reads it: the entry must take addresses (a
// lone %U or %u word, once) and hold nothing that xdg-open's shell would expand or that the
// desktop-entry rules would read otherwise (quotes, escapes, other field codes).
std::optional<BrowserCommand> commandOfExec(const QString& exec);

// The command that starts the browser xdg-open starts for http and https addresses in this
// program's environment, or nothing when it is not certain, or when the two schemes have
// different handlers. Certain only where the programs xdg-open goes through are their
// packages' own, byte for byte as the package manager installed them, and the default handler
// GLib finds is the one the association files name plainly. Runs no program; safe on any
// thread; each question to the session bus or the X server waits at most 2 s.
std::optional<BrowserCommand> defaultBrowserCommand();
