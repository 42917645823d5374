#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <chrono>
#include <optional>

// Runs corvantis-mdb-reader on a database and hands back the "url" values one record at a time.
// The reader is stopped when it stays silent for longer than the silence limit: a limit on
// silence, not on total time, so a large list that keeps coming is never cut short, while a
// reader stuck on a malformed file cannot hang the window.
class DefaultListReader {
public:
    enum class Step {
        Record,     // a record was read: url holds its value, or nothing for NULL
        End,        // every record was read
        CannotOpen, // the file is not a database that can be opened; no records
        NoTable,    // no table "tblWebsites" (or it cannot be read); no records
        NoUrlField, // the table has no field "url"; no records
        Failed,     // the reader could not start, crashed, fell silent or stopped early
    };

    static constexpr std::chrono::milliseconds defaultSilenceLimit{10'000};

    DefaultListReader(const QString& readerProgram, const QString& databasePath,
                      std::chrono::milliseconds silenceLimit = defaultSilenceLimit);
    ~DefaultListReader();
    DefaultListReader(const DefaultListReader&) = delete;
    DefaultListReader& operator=(const DefaultListReader&) = delete;

    // Blocks until the next record, the end, or a failure. After anything but Record, it
    // keeps returning the same step.
    Step next(std::optional<QString>& url);
    // Why the last step was not Record or End, as the error report shows it.
    const QString& problem() const { return problem_; }

private:
    enum class Parse { Incomplete, Value, Null, End, Garbage };
    Parse parseFrame(std::optional<QString>& url);
    Step finishAfterEndFrame();
    Step finishWithoutEndFrame();
    Step fail(Step step, const QString& problem);
    void stopReader();

    QProcess process_;
    QByteArray buffer_;
    qsizetype position_ = 0;
    std::chrono::milliseconds silenceLimit_;
    std::optional<Step> final_;
    QString problem_;
};
