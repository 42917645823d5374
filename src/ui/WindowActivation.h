#pragma once

#include <QByteArray>

class QWidget;

// Bringing the running window to the front when the program is started again. A window manager
// with focus-stealing prevention refuses a window that takes the focus on its own (it flashes
// its task bar entry instead), unless the request carries the time of the user's action: on
// X11 the launcher hands it to the program it starts in the startup id ("..._TIME<time>"), and
// the later start passes that id on to the running one.

// The activation id of this start: the launcher's startup id, or, on X11 when started without
// one (from a terminal), an id holding the X server's time now. startupId is $DESKTOP_STARTUP_ID
// as it was before Qt took it out of the environment.
QByteArray activationIdOfThisStart(const QByteArray& startupId);

// Puts the window (and a modal box open above it) in front with the input focus, using the
// time of activationId under an X11 window manager, and ends the launcher's busy feedback for
// that start. A window not shown yet (still starting up) is left to show itself.
void bringWindowForward(QWidget& window, const QByteArray& activationId);
