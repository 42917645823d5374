#pragma once

#include <QElapsedTimer>
#include <chrono>

class CommandView;

// Lets the window handle its pending events at a long command's yield points, but returns at
// once when the previous yield ended less than a few milliseconds ago: a loop that yields for
// each of a million entries would otherwise spend its time in the event loop, while a few
// hundred yields a second keep the window just as live. Once the window is closing it no
// longer yields, so the command finishes without running more nested events.
class ThrottledYield {
public:
    static constexpr std::chrono::milliseconds interval{4};

    explicit ThrottledYield(CommandView& view) : view_(view) {}

    void operator()();

private:
    // The clock is read at every 64th call only: a step of a loop costs far less than reading
    // it, and 64 steps are still microseconds.
    static constexpr int callsPerClockRead = 64;

    CommandView& view_;
    QElapsedTimer sinceLastYield_;
    int callsUntilClockRead_ = 0;
};
