#pragma once

#include "base/Clock.h"
#include "base/RandomSource.h"
#include "base/Shell.h"
#include "opener/HandOverRule.h"

#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

// Records the addresses handed to the desktop instead of opening them; a hand-off has finished
// when the test says so. Refuses what the real shell refuses, by the same rule.
class FakeShell : public Shell {
public:
    QStringList opened;
    std::function<void(const QString&)> onOpen; // runs at each hand-off, e.g. to act mid-run
    bool finished = true;                       // whether the last hand-off has finished
    FailedHandOffs failures;                    // told at the next endRun()

    HandOff open(const QString& address) override {
        if (const auto refused = refusedHandOff(address))
            return *refused;
        opened.append(address);
        if (onOpen)
            onOpen(address);
        return HandOff::started;
    }
    bool handOffFinished() const override { return finished; }
    FailedHandOffs endRun() override { return std::exchange(failures, {}); }
};

// Draws from a fixed sequence, over and over; records every reseed.
class ScriptedRandom : public RandomSource {
public:
    std::vector<double> draws{0.0};
    std::vector<double> seeds;

    void reseed(double seed) override { seeds.push_back(seed); }
    double next() override {
        const double value = draws.at(position_ % draws.size());
        ++position_;
        return value;
    }

private:
    size_t position_ = 0;
};

class FixedClock : public Clock {
public:
    double seconds = 43200.25;
    double secondsSinceMidnight() const override { return seconds; }
};
