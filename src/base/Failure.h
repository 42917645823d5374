#pragma once

#include <QString>
#include <stdexcept>

// A failing operation throws Failure; the error trap of the command that ran it shows the
// description in the error report and lets the command go on with its next statement.
class Failure : public std::runtime_error {
public:
    explicit Failure(const QString& description) : std::runtime_error(description.toStdString()) {}

    QString description() const { return QString::fromUtf8(what()); }
};
