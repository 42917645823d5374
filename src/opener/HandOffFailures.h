#pragma once

#include "base/Shell.h"

#include <QString>
#include <utility>

// The failed hand-offs of the run under way, counted by one rule for every launch: a launch
// counts its hand-offs when its launcher could not be started or ends with a failure, as long as
// its run has not ended. A launcher still running when the run ends has become the browser, or
// is on its way: it is never counted, whatever it does later.
class HandOffFailures {
public:
    // The run a launch started now belongs to.
    int currentRun() const { return run_; }
    // `handOffs` hand-offs of `run` failed, for the reason `why`.
    void count(int run, int handOffs, const QString& why) {
        if (run == run_)
            failed_.add(handOffs, why);
    }
    // The run has ended: its failures, and a fresh count for the next.
    Shell::FailedHandOffs endRun() {
        ++run_;
        return std::exchange(failed_, {});
    }

private:
    int run_ = 0;
    Shell::FailedHandOffs failed_;
};
