#pragma once

#include <QProcessEnvironment>

// The way xdg-open hands an address over, as it decides it from the session: its own generic
// way (the default handler of the association files, under a bare window manager), one of the
// desktop openers whose choice of browser the program can read (GNOME's `gio open`, Plasma 5's
// `kde-open5`, Xfce's `exo-open`), or another that the program leaves to xdg-open.
enum class XdgOpenWay { generic, gnome, kde, xfce, other };

// The way as far as the environment tells it: XDG_CURRENT_DESKTOP first, then the older
// variables xdg-open reads, and a display in DISPLAY or WAYLAND_DISPLAY. A desktop counts as
// one whose opener can be read only when XDG_CURRENT_DESKTOP names it, as its sessions do; one
// found from the older variables is `other`.
XdgOpenWay xdgOpenWayByEnvironment(const QProcessEnvironment& environment);

// The way xdg-open takes in this environment. Where the environment leaves the generic way,
// xdg-open also asks the session bus for GNOME's session manager and the X root window for
// Xfce's marks; so does this (GDBus, xcb), and either answering yes, or not in time, makes it
// `other`. Each question waits at most 2 s; safe on any thread.
XdgOpenWay xdgOpenWay(const QProcessEnvironment& environment);
