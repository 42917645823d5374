#include "opener/LauncherErrorOutput.h"

#include "base/TextDecoding.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

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

QString LauncherErrorOutput::firstAndLastLines() {
    readWhatHasCome();
    endLine(); // a last line without its line end counts as written
    QString said = decodeUtf8OrLatin1(firstLine_);
    if (linesAfterFirst_ > 1)
        said += QStringLiteral("\n\u2026");
    if (linesAfterFirst_ > 0)
        said += u'\n' + decodeUtf8OrLatin1(lastLine_);
    return said;
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
        take(QByteArrayView(buffer.data(), got));
    }
}

void LauncherErrorOutput::take(QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const qsizetype lineEnd = bytes.indexOf('\n');
        const QByteArrayView part = lineEnd < 0 ? bytes : bytes.first(lineEnd);
        partLine_ += part.first(std::min(part.size(), longestLineBytes - partLine_.size()));
        if (lineEnd < 0)
            return;
        endLine();
        bytes = bytes.sliced(lineEnd + 1);
    }
}

void LauncherErrorOutput::endLine() {
    QByteArray line = std::exchange(partLine_, {});
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.trimmed().isEmpty())
        return; // says nothing
    if (firstLine_.isEmpty()) {
        firstLine_ = std::move(line);
        return;
    }
    lastLine_ = std::move(line);
    ++linesAfterFirst_;
}
