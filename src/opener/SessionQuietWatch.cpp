#include "opener/SessionQuietWatch.h"

#include "opener/SessionProcesses.h"

#include <QDir>
#include <QFile>
#include <optional>
#include <utility>

namespace {

constexpr std::chrono::milliseconds sampleInterval{100};
constexpr int samplesInQuietSpan = SessionQuietWatch::quietSpan / sampleInterval;
// The share of one processor below which the session counts as quiet. An idle browser wakes
// for a few milliseconds now and then; a starting one wants one processor or more throughout.
constexpr double quietShare = 0.25;

// The nanoseconds a thread has run and has waited to run, the first two fields of its schedstat;
// nothing for a thread that has ended or a kernel that keeps no such statistics.
std::optional<qint64> runAndWaitTime(const QString& threadFolder) {
    QFile schedstat(threadFolder + QStringLiteral("/schedstat"));
    if (!schedstat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> fields = schedstat.readAll().split(' ');
    bool ranOk = false;
    bool waitedOk = false;
    const qint64 ran = fields.value(0).toLongLong(&ranOk);
    const qint64 waited = fields.value(1).toLongLong(&waitedOk);
    if (!ranOk || !waitedOk)
        return std::nullopt;
    return ran + waited;
}

} // namespace

SessionQuietWatch::SessionQuietWatch() {
    poll_.setInterval(sampleInterval);
    QObject::connect(&poll_, &QTimer::timeout, &poll_, [this] { sample(); });
}

void SessionQuietWatch::watch(pid_t leader, std::function<void()> onQuiet) {
    leader_ = leader;
    onQuiet_ = std::move(onQuiet);
    quietSamples_ = 0;
    lastTimes_ = threadTimesOf(leader_).value_or(ThreadTimes{});
    sinceLastSample_.start();
    poll_.start();
}

void SessionQuietWatch::stopWatching() {
    onQuiet_ = {};
    poll_.stop();
}

std::optional<SessionQuietWatch::ThreadTimes> SessionQuietWatch::threadTimesOf(pid_t leader) {
    const QList<pid_t> processes = sessionProcesses(leader);
    if (processes.isEmpty())
        return std::nullopt;
    ThreadTimes times;
    for (const pid_t process : processes) {
        const QString tasks = QStringLiteral("/proc/%1/task").arg(process);
        const QStringList threads = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString& thread : threads)
            if (const auto time = runAndWaitTime(tasks + QLatin1Char('/') + thread))
                times.insert(thread.toLongLong(), *time);
    }
    return times;
}

void SessionQuietWatch::sample() {
    std::optional<ThreadTimes> times = threadTimesOf(leader_);
    if (!times) {
        poll_.stop(); // the launcher and all it started have ended
        return;
    }
    const qint64 elapsed = sinceLastSample_.restart() * 1'000'000;
    qint64 busy = 0;
    // A thread started since the last sample has spent all its time in this span.
    for (auto thread = times->cbegin(); thread != times->cend(); ++thread)
        busy += thread.value() - lastTimes_.value(thread.key(), 0);
    lastTimes_ = *std::move(times);
    quietSamples_ = static_cast<double>(busy) < quietShare * static_cast<double>(elapsed)
                        ? quietSamples_ + 1
                        : 0;
    if (quietSamples_ >= samplesInQuietSpan) {
        poll_.stop();
        if (onQuiet_)
            std::exchange(onQuiet_, {})();
    }
}
