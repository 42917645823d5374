#pragma once

#include "base/Dialogs.h"
#include "base/ErrorReport.h"

// Dialogs that answer nothing and count what they were asked to show: a benchmark's run must
// show no box, and says so when it did.
class SilentDialogs : public Dialogs {
public:
    int shown = 0;
    void notice(const QString&, const QString&) override { ++shown; }
    void errorReport(const ErrorReport&) override { ++shown; }
    QString inputBox(const QString&, const QString&) override { return {}; }
    QStringList showOpen(const CommonDialog&) override { return {}; }
    QString showSave(const CommonDialog&) override { return {}; }
};
