#pragma once

// Qt ends a program whose window it cannot show with an abort (status 134, on many systems a
// core dump). A start where no display server can be reached says so in one line on stderr
// instead; the caller then ends with status 1.
//
// Only the platforms that need a display server are judged: X11 (xcb) needs a server that
// answers at DISPLAY and has the screen it names (a stale DISPLAY is the common case), Wayland
// needs WAYLAND_DISPLAY or its default socket. QT_QPA_PLATFORM names the platforms Qt tries
// ("wayland;xcb"), an empty name none; unset, Qt picks one of those two. Any other platform
// (offscreen, vnc, eglfs) and any command-line argument (Qt's own -platform, -display) are
// left to Qt.
// Returns whether it reported a missing session.
bool reportMissingGraphicalSession(int argumentCount);
