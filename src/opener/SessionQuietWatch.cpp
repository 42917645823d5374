#include "opener/SessionQuietWatch.h"

#include <QDir>
#include <QFile>
#include <optional>

namespace {

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

void SessionQuietWatch::start(const QList<pid_t>& members) {
    lastTimes_ = threadTimesOf(members);
    sinceLastSample_.start();
    quietSince_.start();
}

bool SessionQuietWatch::quiet(std::chrono::nanoseconds busy, std::chrono::nanoseconds elapsed) {
    return static_cast<double>(busy.count()) < quietShare * static_cast<double>(elapsed.count());
}

bool SessionQuietWatch::settledAfter(const QList<pid_t>& members) {
    ThreadTimes times = threadTimesOf(members);
    const std::chrono::nanoseconds elapsed =
        std::chrono::nanoseconds(sinceLastSample_.nsecsElapsed());
    sinceLastSample_.restart();
    qint64 busy = 0;
    // A thread started since the last sample has spent all its time in this span.
    for (auto thread = times.cbegin(); thread != times.cend(); ++thread)
        busy += thread.value() - lastTimes_.value(thread.key(), 0);
    lastTimes_ = std::move(times);
    if (!quiet(std::chrono::nanoseconds(busy), elapsed)) {
        quietSince_.start(); // quiet from here on, at the earliest
        return false;
    }
    return std::chrono::nanoseconds(quietSince_.nsecsElapsed()) >= quietSpan;
}

SessionQuietWatch::ThreadTimes SessionQuietWatch::threadTimesOf(const QList<pid_t>& members) {
    ThreadTimes times;
    for (const pid_t process : members) {
        const QString tasks = QStringLiteral("/proc/%1/task").arg(process);
        const QStringList threads = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString& thread : threads)
            if (const auto time = runAndWaitTime(tasks + QLatin1Char('/') + thread))
                times.insert(thread.toLongLong(), *time);
    }
    return times;
}
