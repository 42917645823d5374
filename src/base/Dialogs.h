#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class ErrorReport;

// The properties the open and save commands set on the shared file dialog before showing it.
// Kept on the window so that tests can see what a command asked for.
struct CommonDialog {
    QString fileName;
    std::uint32_t flags = 0;
    QString dialogTitle;
    QString filter; // "Description|pattern|Description|pattern|"
};

// Modal boxes and file dialogs. The real one shows Qt dialogs; tests answer from a script.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A plain notice: OK only, no icon, the given caption.
    virtual void notice(const QString& text, const QString& caption) = 0;
    // The "Application Error" box: warning icon, one OK.
    virtual void errorReport(const ErrorReport& report) = 0;
    // A modal input box; empty text when the user cancels.
    virtual QString inputBox(const QString& prompt, const QString& caption) = 0;
    // The open dialog: the picked files as full paths in the dialog's order; empty on cancel.
    virtual QStringList showOpen(const CommonDialog& dialog) = 0;
    // The save dialog: the chosen full path; empty on cancel.
    virtual QString showSave(const CommonDialog& dialog) = 0;
};
