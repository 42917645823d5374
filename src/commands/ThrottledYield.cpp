#include "commands/ThrottledYield.h"

#include "commands/CommandView.h"

void ThrottledYield::operator()() {
    if (callsUntilClockRead_ > 0) {
        --callsUntilClockRead_;
        return;
    }
    callsUntilClockRead_ = callsPerClockRead - 1;
    if (sinceLastYield_.isValid() &&
        sinceLastYield_.nsecsElapsed() < std::chrono::nanoseconds(interval).count())
        return;
    if (view_.isClosing())
        return;
    view_.yield();
    sinceLastYield_.start(); // measured from the end: nested commands may have run long
}
