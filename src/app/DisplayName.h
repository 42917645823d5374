#pragma once

#include <QString>

// The display a start shows on, written one way, so that two starts can tell whether they show
// on one display: the Wayland display when Qt shows on Wayland, else the X display.
// platformName is QGuiApplication::platformName(): "xcb", "wayland", "offscreen" ...
QString displayOfThisStart(const QString& platformName);

// An X display name without its screen number, and with the local connection written one way:
// ":91", ":91.0", "unix:91" and "unix:91.0" are all ":91". Another host stays ("box:3.1" is
// "box:3"): "localhost:10" is a TCP connection, which ssh forwards to another server.
QString canonicalXDisplay(const QString& display);
