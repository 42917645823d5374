#pragma once

#include "app/Platform.h"

// Hands an address to the desktop through xdg-open, started detached with the address as its
// one argument: no shell, no quoting, no re-encoding of the address.
class XdgShell : public Shell {
public:
    void open(const QString& address) override;
};
