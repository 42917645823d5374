#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

// Small helpers shared by the benchmarks: timing, the reference commands, the output line.
namespace bench {

// The fastest of `runs` timings of work, in seconds.
inline double bestSeconds(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
    return *std::min_element(times.begin(), times.end());
}

// Runs a reference command through the shell (for its redirections), fastest of `runs`.
inline double commandSeconds(const QString& command, int runs = 5) {
    return bestSeconds(runs, [&] {
        QProcess::execute(QStringLiteral("/bin/sh"), {"-c", command});
    });
}

// Peak resident memory of this process so far, in MiB.
inline double peakMemoryMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// One figure: "BENCH <name> <value> <unit> target <op> <goal>".
inline void report(const char* name, double value, const char* unit, const char* op, double goal) {
    std::printf("BENCH %s %.4g %s target %s %g\n", name, value, unit, op, goal);
    std::fflush(stdout);
}

inline void info(const char* name, double value, const char* unit) {
    std::printf("     %s %.4g %s\n", name, value, unit);
    std::fflush(stdout);
}

} // namespace bench
