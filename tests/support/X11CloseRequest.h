#pragma once

// Sends a window the message a window manager sends when its close box is pressed
// (WM_PROTOCOLS / WM_DELETE_WINDOW), through the X server of $DISPLAY. Kept apart from the
// tests because Xlib's macros (Bool, Status, ...) clash with Qt's headers.
bool sendX11CloseRequest(unsigned long window);
