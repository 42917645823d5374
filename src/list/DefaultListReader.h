#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <chrono>
#include <optional>

// The most that one load takes from the reader: records (NULLs included) and bytes of output.
struct DefaultListLimits {
    qsizetype records;
    qsizetype bytes;
};

// Runs corvantis-mdb-reader on a database and hands back the "url" values one record at a time.
// The reader is stopped when it stays silent for longer than the silence limit: a limit on
// silence, not on total time, so a large list that keeps coming is never cut short, while a
// reader stuck on a malformed file cannot hang the window. A reader that never stops writing
// (a broken helper, a damaged file read in circles) is stopped at the limits, keeping the
// records read before them.
class DefaultListReader {
public:
    enum class Step {
        Record,     // a record was read: url holds its value, or nothing for NULL
        End,        // every record was read
        CannotOpen, // the file is not a database that can be opened; no records
        NoTable,    // no table "tblWebsites" (or it cannot be read); no records
        NoUrlField, // the table has no field "url"; no records
        Failed,     // the reader could not start, crashed, fell silent or stopped early
        TooLong,    // the reader went past the limits and was stopped; the records before stay
    };

    static constexpr std::chrono::milliseconds defaultSilenceLimit{10'000};
    // Far above any real default list: the program is built for lists of about a million
    // entries, and a million of the longest Jet text values (255 characters) fit in 256 MiB.
    // At the limits the list takes under half a gigabyte, instead of growing until the machine
    // runs out of memory.
    static constexpr DefaultListLimits defaultLimits{4'000'000, qsizetype(256) << 20};

    DefaultListReader(const QString& readerProgram, const QString& databasePath,
                      std::chrono::milliseconds silenceLimit = defaultSilenceLimit,
                      DefaultListLimits limits = defaultLimits);
    ~DefaultListReader();
    DefaultListReader(const DefaultListReader&) = delete;
    DefaultListReader& operator=(const DefaultListReader&) = delete;

    // Blocks until the next record, the end, or a failure. After anything but Record, it
    // keeps returning the same step.
    Step next(std::optional<QString>& url);
    // Why the last step was not Record or End, as the error report shows it.
    const QString& problem() const { return problem_; }

private:
    enum class Parse { Incomplete, Value, Null, End, Garbage, TooLong };
    Parse parseFrame(std::optional<QString>& url);
    Step finishAfterEndFrame();
    Step finishWithoutEndFrame();
    // Whether a record of frameBytes more stays within the limits.
    bool withinLimits(qsizetype frameBytes) const;
    void takeRecord(qsizetype frameBytes);
    Step fail(Step step, const QString& problem);
    void stopReader();

    QProcess process_;
    QByteArray buffer_;
    qsizetype position_ = 0;
    std::chrono::milliseconds silenceLimit_;
    DefaultListLimits limits_;
    qsizetype records_ = 0;     // records taken so far
    qsizetype recordBytes_ = 0; // bytes of their frames
    std::optional<Step> final_;
    QString problem_;
};
