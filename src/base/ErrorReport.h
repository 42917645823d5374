#pragma once

#include <QString>

// The one box a failing command shows: what failed, where, and at which statement.
class ErrorReport {
public:
    static constexpr const char* title = "Application Error";
    static constexpr const char* supportAddress = "support@corvantis.org";

    // procedure is "Module.Procedure", e.g. "Form1.Form_Load".
    ErrorReport(QString description, QString procedure, int statement);

    QString description() const { return description_; }
    QString procedure() const { return procedure_; }
    int statement() const { return statement_; }

    // The report's text, built character for character: description, CR LF, location,
    // "at line ", number, CR, CR, the request to mail a screenshot.
    QString text() const;

private:
    QString description_;
    QString procedure_;
    int statement_;
};
