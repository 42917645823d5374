#pragma once

#include "base/Shell.h"

// Hands an address to the desktop through xdg-open, started with the address as its one
// argument and "/" as its working folder: no shell, no quoting, no re-encoding of the address.
// The window does not wait for it; a failed start shows nothing.
class XdgShell : public Shell {
public:
    void open(const QString& address) override;
};
