#pragma once

#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "base/Failure.h"

#include <QString>
#include <exception>
#include <optional>
#include <utility>

// Armed at the start of a command: runs its numbered statements, and when one fails shows the
// error report naming the procedure and the statement, then lets the command go on.
class ErrorTrap {
public:
    ErrorTrap(QString procedure, Dialogs& dialogs)
        : procedure_(std::move(procedure)), dialogs_(dialogs) {}

    // Runs one statement. Returns false when it failed (the report has been shown).
    template <typename Statement> bool run(int number, Statement&& statement) {
        const std::optional<QString> failure = failureOf(std::forward<Statement>(statement));
        if (failure)
            report(*failure, number);
        return !failure;
    }

    // Runs a step without a report of its own: the description of its failure, if it failed,
    // for a report that says more than one thing at once.
    template <typename Step> static std::optional<QString> failureOf(Step&& step) {
        try {
            std::forward<Step>(step)();
            return std::nullopt;
        } catch (const Failure& failure) {
            return failure.description();
        } catch (const std::bad_alloc&) {
            return QStringLiteral("Out of memory");
        } catch (const std::exception& other) {
            return QString::fromUtf8(other.what());
        }
    }

    // Shows the report for a failure found without an exception.
    void report(const QString& description, int number);

private:
    QString procedure_;
    Dialogs& dialogs_;
};
