#include "list/DefaultListReader.h"

#include "base/TextDecoding.h"
#include "list/MdbReaderProtocol.h"

#include <QFileInfo>
#include <QProcessEnvironment>

namespace {

constexpr int msecs(std::chrono::milliseconds duration) {
    return static_cast<int>(duration.count());
}

std::uint32_t frameLength(const char* bytes) {
    std::uint32_t length = 0;
    for (int i = 0; i < mdbreader::lengthBytes; ++i)
        length |= std::uint32_t(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return length;
}

} // namespace

DefaultListReader::DefaultListReader(const QString& readerProgram, const QString& databasePath,
                                     std::chrono::milliseconds silenceLimit,
                                     DefaultListLimits limits)
    : silenceLimit_(silenceLimit), limits_(limits) {
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.setStandardInputFile(QProcess::nullDevice());
    // libmdb takes its text encoding, search path and debug output from these; the frames must
    // be UTF-8 and the path is absolute.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"MDBICONV", "MDB_JET3_CHARSET", "MDBPATH", "MDBOPTS"})
        environment.remove(QLatin1String(name));
    process_.setProcessEnvironment(environment);
    process_.setProgram(readerProgram);
    process_.setArguments({QFileInfo(databasePath).absoluteFilePath()});
    process_.start(QIODevice::ReadOnly);
    if (!process_.waitForStarted(msecs(silenceLimit_)))
        fail(Step::Failed,
             QStringLiteral("The database reader %1 could not be started").arg(readerProgram));
}

DefaultListReader::~DefaultListReader() {
    stopReader();
}

DefaultListReader::Step DefaultListReader::next(std::optional<QString>& url) {
    while (!final_) {
        switch (parseFrame(url)) {
        case Parse::Value:
        case Parse::Null:
            return Step::Record;
        case Parse::End:
            return finishAfterEndFrame();
        case Parse::Garbage:
            return fail(Step::Failed, QStringLiteral("The database reader wrote output that "
                                                     "cannot be read"));
        case Parse::TooLong:
            return fail(Step::TooLong,
                        QStringLiteral("The default list is too long: reading stopped after %1 "
                                       "records (at most %2 records or %3 MB are read)")
                            .arg(records_)
                            .arg(limits_.records)
                            .arg(limits_.bytes >> 20));
        case Parse::Incomplete:
            break;
        }
        if (process_.state() == QProcess::NotRunning) {
            const QByteArray rest = process_.readAllStandardOutput();
            if (rest.isEmpty())
                return finishWithoutEndFrame();
            buffer_.append(rest);
            continue;
        }
        if (!process_.waitForReadyRead(msecs(silenceLimit_)) &&
            process_.state() != QProcess::NotRunning)
            return fail(Step::Failed,
                        QStringLiteral("The database reader did not answer for %1 seconds")
                            .arg(static_cast<double>(silenceLimit_.count()) / 1000.0));
        buffer_.append(process_.readAllStandardOutput());
    }
    return *final_;
}

DefaultListReader::Parse DefaultListReader::parseFrame(std::optional<QString>& url) {
    if (position_ > (1 << 16) && position_ * 2 > buffer_.size()) {
        buffer_.remove(0, position_);
        position_ = 0;
    }
    const qsizetype available = buffer_.size() - position_;
    if (available < 1)
        return Parse::Incomplete;
    const char* frame = buffer_.constData() + position_;
    switch (frame[0]) {
    case mdbreader::nullFrame:
        if (!withinLimits(1))
            return Parse::TooLong;
        url.reset();
        takeRecord(1);
        return Parse::Null;
    case mdbreader::endFrame:
        ++position_;
        return Parse::End;
    case mdbreader::valueFrame: {
        const qsizetype header = 1 + mdbreader::lengthBytes;
        if (available < header)
            return Parse::Incomplete;
        const std::uint32_t length = frameLength(frame + 1);
        // No address is that long: a broken reader must not make the buffer grow without end.
        if (length > mdbreader::maxValueBytes)
            return Parse::Garbage;
        // Checked before the value is waited for, so the buffer never holds more than the limit.
        if (!withinLimits(header + length))
            return Parse::TooLong;
        if (available - header < static_cast<qsizetype>(length))
            return Parse::Incomplete;
        url = decodeUtf8OrLatin1(QByteArrayView(frame + header, length));
        takeRecord(header + length);
        return Parse::Value;
    }
    default:
        return Parse::Garbage;
    }
}

DefaultListReader::Step DefaultListReader::finishAfterEndFrame() {
    if (position_ != buffer_.size())
        return fail(Step::Failed, QStringLiteral("The database reader wrote output after the "
                                                 "last record"));
    if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(msecs(silenceLimit_)))
        return fail(Step::Failed, QStringLiteral("The database reader did not end"));
    if (process_.exitStatus() != QProcess::NormalExit ||
        process_.exitCode() != mdbreader::completed)
        return fail(Step::Failed,
                    QStringLiteral("The database reader failed after the last record"));
    final_ = Step::End;
    return Step::End;
}

DefaultListReader::Step DefaultListReader::finishWithoutEndFrame() {
    if (process_.exitStatus() == QProcess::CrashExit)
        return fail(Step::Failed, QStringLiteral("The database reader crashed"));
    const bool nothingRead = buffer_.isEmpty();
    switch (process_.exitCode()) {
    case mdbreader::cannotOpen:
        if (nothingRead)
            return fail(Step::CannotOpen, QStringLiteral("The file is not a database that can be "
                                                         "opened"));
        break;
    case mdbreader::noTable:
        if (nothingRead)
            return fail(Step::NoTable, QStringLiteral("The database has no table tblWebsites"));
        break;
    case mdbreader::noUrlField:
        if (nothingRead)
            return fail(Step::NoUrlField, QStringLiteral("The table tblWebsites has no field url"));
        break;
    default:
        break;
    }
    return fail(Step::Failed, QStringLiteral("The database reader stopped before the last record"));
}

bool DefaultListReader::withinLimits(qsizetype frameBytes) const {
    return records_ < limits_.records && recordBytes_ + frameBytes <= limits_.bytes;
}

void DefaultListReader::takeRecord(qsizetype frameBytes) {
    position_ += frameBytes;
    ++records_;
    recordBytes_ += frameBytes;
}

DefaultListReader::Step DefaultListReader::fail(Step step, const QString& problem) {
    stopReader();
    final_ = step;
    problem_ = problem;
    return step;
}

void DefaultListReader::stopReader() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.kill();
    process_.waitForFinished(msecs(silenceLimit_));
}
