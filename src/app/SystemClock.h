#pragma once

#include "base/Clock.h"

// The local time of day.
class SystemClock : public Clock {
public:
    double secondsSinceMidnight() const override;
};
