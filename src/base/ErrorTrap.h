#pragma once

#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "base/Failure.h"

#include <QString>
#include <exception>
#include <utility>

// Armed at the start of a command: runs its numbered statements, and when one fails shows the
// error report naming the procedure and the statement, then lets the command go on.
class ErrorTrap {
public:
    ErrorTrap(QString procedure, Dialogs& dialogs)
        : procedure_(std::move(procedure)), dialogs_(dialogs) {}

    // Runs one statement. Returns false when it failed (the report has been shown).
    template <typename Statement> bool run(int number, Statement&& statement) {
        try {
            std::forward<Statement>(statement)();
            return true;
        } catch (const Failure& failure) {
            report(failure.description(), number);
        } catch (const std::bad_alloc&) {
            report(QStringLiteral("Out of memory"), number);
        } catch (const std::exception& other) {
            report(QString::fromUtf8(other.what()), number);
        }
        return false;
    }

    // Shows the report for a failure found without an exception.
    void report(const QString& description, int number);

private:
    QString procedure_;
    Dialogs& dialogs_;
};
