#pragma once

#include "base/Dialogs.h"

// Dialogs where no box can be shown (the display is gone): notices and error reports are
// written to stderr; questions get no answer.
class StandardErrorDialogs : public Dialogs {
public:
    void notice(const QString& text, const QString& caption) override;
    void errorReport(const ErrorReport& report) override;
    QString inputBox(const QString&, const QString&) override { return {}; }
    QStringList showOpen(const CommonDialog&) override { return {}; }
    QString showSave(const CommonDialog&) override { return {}; }
};
