#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

// Small helpers shared by the benchmarks: timing, the reference commands, memory, the output
// line. The machine may be shared: each figure is a ratio to a reference measured in the same
// run, timings are the best of several runs, and processor time shows what the work itself
// costs beside the wall clock.
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

// Processor time (user and system) of this process (RUSAGE_SELF) or of its finished children
// (RUSAGE_CHILDREN).
inline double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Wall-clock and processor seconds of a piece of work.
struct Timing {
    double wall = 0;
    double cpu = 0;

    // Keeps the better of each figure: this one's or the run's.
    void keepBest(const Timing& run) {
        wall = std::min(wall, run.wall);
        cpu = std::min(cpu, run.cpu);
    }
};

// A timing that every run beats.
inline constexpr Timing noTimingYet{1e9, 1e9};

inline Timing timingOf(const std::function<void()>& work, int who = RUSAGE_SELF) {
    QElapsedTimer timer;
    const double cpuBefore = cpuSeconds(who);
    timer.start();
    work();
    return {static_cast<double>(timer.nsecsElapsed()) / 1e9, cpuSeconds(who) - cpuBefore};
}

// The best wall-clock and the best processor time of `runs` runs of work.
inline Timing bestTiming(int runs, const std::function<void()>& work, int who = RUSAGE_SELF) {
    Timing best = noTimingYet;
    for (int i = 0; i < runs; ++i)
        best.keepBest(timingOf(work, who));
    return best;
}

// A program run to its end with its output thrown away, best of `runs`; its processor time is
// its own.
inline Timing processTiming(const QString& program, const QStringList& arguments, int runs = 5) {
    return bestTiming(
        runs,
        [&] {
            QProcess process;
            process.setStandardOutputFile(QProcess::nullDevice());
            process.start(program, arguments);
            if (!process.waitForFinished(-1) || process.exitCode() != 0)
                qFatal("%s failed", qPrintable(program));
        },
        RUSAGE_CHILDREN);
}

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM").
inline qint64 memoryBytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').first().toLongLong() * 1024;
    return 0;
}

// Starts a new peak (VmHWM) at the present resident size.
inline void resetPeakMemory() {
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
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

// A piece of work against its reference: both timings as information, then the wall-clock and
// the processor-time ratio as figures with the same target.
struct RatioNames {
    const char* work;
    const char* reference;
    const char* ratio;
    const char* cpuRatio;
};

inline void reportRatios(const RatioNames& names, const Timing& work, const Timing& reference,
                         const char* unit, double goal) {
    const auto cpuName = [](const char* name) { return QByteArray(name) + "_cpu"; };
    info(names.work, work.wall, "s");
    info(cpuName(names.work).constData(), work.cpu, "s");
    info(names.reference, reference.wall, "s");
    info(cpuName(names.reference).constData(), reference.cpu, "s");
    report(names.ratio, work.wall / reference.wall, unit, "<=", goal);
    report(names.cpuRatio, work.cpu / reference.cpu, unit, "<=", goal);
}

} // namespace bench
