#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>

// The command line xdg-open runs for a web address, where that can be known for certain, so
// that further addresses for the same browser can be handed over in one launch.
//
// Known only where xdg-open takes its generic way (no desktop environment detected, as under a
// bare window manager, and a display): it asks `xdg-mime query default x-scheme-handler/SCHEME`
// for the default handler, finds that desktop entry in the data folders and runs its Exec with
// the address in place of the field code. On GNOME, KDE, Xfce and the other desktops xdg-open
// hands the address to the desktop's own opener, whose choice of browser may follow other
// settings: there, and for any entry that xdg-open might read differently from the desktop-entry
// rules, nothing is known and the caller keeps handing over through xdg-open. Nor where the
// xdg-open first in PATH is not xdg-utils' own: the user's wrapper decides for itself.
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

// Whether xdg-open takes its generic way, as far as the environment tells it; xdg-open also asks
// the session bus and the X root window, which defaultBrowserCommand() does too (GDBus, xcb).
bool environmentChoosesGenericWay(const QProcessEnvironment& environment);

// The command xdg-open runs for http and https addresses in this program's environment, or
// nothing when it is not certain, or when the two schemes have different handlers. Certain only
// where xdg-open and xdg-mime first on PATH are xdg-utils' own, byte for byte as the package
// manager installed them, and the default handler GLib finds is the one the association files
// name plainly. Runs no program; safe on any thread; each question to the session bus or the X
// server waits at most 2 s.
std::optional<BrowserCommand> defaultBrowserCommand();
