#include "opener/LauncherErrorOutput.h"

#include "base/TextDecoding.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A line of an error message; more is not kept, whatever a broken launcher writes.
constexpr qsizetype longestLineBytes = 1024;
constexpr size_t readSize = 4096;

} // namespace

LauncherErrorOutput::LauncherErrorOutput() {
    std::array<int, 2> ends{-1, -1};
    if (::pipe2(ends.data(), O_CLOEXEC) != 0)
        return;
    readEnd_ = FileDescriptor(ends[0]);
    writeEnd_ = FileDescriptor(ends[1]);
    // Only this program's end waits for nothing: the launcher writes as to any standard error.
    ::fcntl(readEnd_.get(), F_SETFL, ::fcntl(readEnd_.get(), F_GETFL) | O_NONBLOCK);
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_.get(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { readWhatHasCome(); });
}

void LauncherErrorOutput::launcherStarted() {
    writeEnd_.close();
}

QString LauncherErrorOutput::firstLine() {
    readWhatHasCome();
    QByteArrayView line(firstLine_);
    if (line.endsWith('\r'))
        line.chop(1);
    return decodeUtf8OrLatin1(line);
}

void LauncherErrorOutput::readWhatHasCome() {
    std::array<char, readSize> buffer{};
    while (readEnd_.isOpen()) {
        const ssize_t got = ::read(readEnd_.get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            return;
        if (got <= 0) { // the end, or a pipe that cannot be read: nothing more to wait for
            notifier_->setEnabled(false);
            readEnd_.close();
            return;
        }
        const QByteArrayView bytes(buffer.data(), got);
        if (firstLineComplete_)
            continue;
        const qsizetype lineEnd = bytes.indexOf('\n');
        firstLine_ += bytes.first(lineEnd < 0 ? got : lineEnd);
        firstLineComplete_ = lineEnd >= 0 || firstLine_.size() >= longestLineBytes;
        firstLine_.truncate(longestLineBytes);
    }
}
