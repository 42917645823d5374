#include "opener/LauncherErrorOutput.h"

#include "base/TextDecoding.h"
#include "opener/SessionSpawn.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

// A line of an error message; more is not kept, whatever a broken launcher writes.
constexpr qsizetype longestLineBytes = 1024;
constexpr size_t readSize = 4096;

// The relay: copies its standard input (kept as descriptor 3, since a job in the background
// reads /dev/null) to its error output; should that fail (the terminal has
// gone), it reads on into nothing, so that the writer is never answered with SIGPIPE. It runs in
// the background, so that the shell that starts it ends at once, and whoever reaps orphans reaps
// it when the last writer has closed the pipe.
const QList<QByteArray> relayCommand{"sh", "-c",
                                     "exec 3<&0; { cat <&3 >&2; exec cat <&3 >/dev/null; } &"};

// Writes all of `bytes` to this program's own error output, as far as it takes them.
void passOn(QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(STDERR_FILENO, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        bytes = bytes.sliced(written);
    }
}

} // namespace

LauncherErrorOutput::LauncherErrorOutput() {
    int ends[2] = {};
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return;
    readEnd_ = FileDescriptor(ends[0]);
    writeEnd_ = FileDescriptor(ends[1]);
    ::fcntl(readEnd_.get(), F_SETFL, O_NONBLOCK);
    arrivals_.setSocket(readEnd_.get());
    QObject::connect(&arrivals_, &QSocketNotifier::activated, &arrivals_, [this] {
        if (!readWhatHasCome())
            arrivals_.setEnabled(false); // every writer has closed it
    });
    arrivals_.setEnabled(true);
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

void LauncherErrorOutput::letGo() {
    arrivals_.setEnabled(false); // before its descriptor is closed
    writeEnd_.close();
    if (readEnd_.isOpen() && readWhatHasCome())
        startRelay();
    readEnd_.close();
}

bool LauncherErrorOutput::readWhatHasCome() {
    std::array<char, readSize> buffer{};
    while (readEnd_.isOpen()) {
        const ssize_t got = ::read(readEnd_.get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno == EAGAIN; // nothing more for now, and a writer still holds it
        if (got == 0)
            return false;
        passOn(QByteArrayView(buffer.data(), got));
        take(QByteArrayView(buffer.data(), got));
    }
    return false;
}

void LauncherErrorOutput::startRelay() {
    ::fcntl(readEnd_.get(), F_SETFL, 0); // the relay's cat waits for input; this end is closed next
    pid_t shell = 0;
    if (spawnInSession(relayCommand, {readEnd_.get(), -1}, shell) != 0)
        return; // the writer gets SIGPIPE at its next line, as without a relay
    // The shell only forks the relay and ends, about as soon as the spawn has returned: reaped
    // here, so that no child of this program is left for the relay.
    int status = 0;
    while (::waitpid(shell, &status, 0) < 0 && errno == EINTR) {
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
