#pragma once

#include "base/Dialogs.h"

#include <QPointer>
#include <QWidget>

// The real modal boxes and file dialogs, centred over the main window.
class QtDialogs : public Dialogs {
public:
    void setParentWindow(QWidget* window) { parent_ = window; }

    void notice(const QString& text, const QString& caption) override;
    void errorReport(const ErrorReport& report) override;
    QString inputBox(const QString& prompt, const QString& caption) override;
    QStringList showOpen(const CommonDialog& dialog) override;
    QString showSave(const CommonDialog& dialog) override;

private:
    QPointer<QWidget> parent_;
};

// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|" in Qt's form, "*.*" as "*" so that names
// without a dot are listed too.
QString qtNameFilter(const QString& commonDialogFilter);
