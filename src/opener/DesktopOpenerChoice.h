#pragma once

#include "opener/XdgOpenWay.h"

#include <QProcessEnvironment>

// Whether, on this way, the browser xdg-open starts for a web address is the default handler
// of the association files (mimeapps.list, the desktop's own list first) and nothing else, so
// that the program can read it: xdg-open and xdg-mime are xdg-utils' own, and so is the desktop
// opener xdg-open calls, with none of the settings it would follow before the association
// files:
// - GNOME: `gio open` (GLib's own tool), unless GLib is told to ask the desktop portal;
// - Plasma 5: `kde-open5`, unless a browser is set in kdeglobals (BrowserApplication);
// - Xfce: `exo-open`, unless Xfce's preferred-applications helper is installed or set up
//   (helpers.rc), which chooses by its own settings.
// Any other way: false.
bool openerChoosesByAssociations(XdgOpenWay way, const QProcessEnvironment& environment);
