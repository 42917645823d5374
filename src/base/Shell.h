#pragma once

#include <QString>

// Hands one address to the desktop, which opens it in the default browser.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void open(const QString& address) = 0;
};
