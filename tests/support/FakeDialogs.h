#pragma once

#include "base/Dialogs.h"
#include "base/ErrorReport.h"

#include <QQueue>
#include <QStringList>
#include <functional>
#include <vector>

// Answers the program's boxes and dialogs from a script and records what they were asked.
class FakeDialogs : public Dialogs {
public:
    struct Notice {
        QString text;
        QString caption;
    };

    std::vector<Notice> notices;
    std::vector<ErrorReport> reports;
    std::vector<CommonDialog> shownDialogs; // what each open or save dialog was asked with

    QQueue<QString> inputAnswers;    // empty text when none is left (the user cancelled)
    QQueue<QStringList> openAnswers; // no files when none is left
    QQueue<QString> saveAnswers;     // empty path when none is left

    // Runs while a box is open, as a person could act then (a report shown during a run).
    std::function<void()> whileReportShown;

    void notice(const QString& text, const QString& caption) override {
        notices.push_back({text, caption});
    }
    void errorReport(const ErrorReport& report) override {
        reports.push_back(report);
        if (whileReportShown)
            whileReportShown();
    }
    QString inputBox(const QString& prompt, const QString& caption) override {
        inputPrompts.append(prompt);
        inputCaptions.append(caption);
        return inputAnswers.isEmpty() ? QString() : inputAnswers.dequeue();
    }
    QStringList showOpen(const CommonDialog& dialog) override {
        shownDialogs.push_back(dialog);
        return openAnswers.isEmpty() ? QStringList() : openAnswers.dequeue();
    }
    QString showSave(const CommonDialog& dialog) override {
        shownDialogs.push_back(dialog);
        return saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
    }

    QStringList inputPrompts;
    QStringList inputCaptions;

    // "procedure statement" of every report shown, e.g. "Form1.Form_Load 132".
    QStringList reportPlaces() const {
        QStringList places;
        for (const ErrorReport& report : reports)
            places.append(report.procedure() + QLatin1Char(' ') +
                          QString::number(report.statement()));
        return places;
    }
};
