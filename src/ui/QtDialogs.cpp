#include "ui/QtDialogs.h"

#include "base/ErrorReport.h"
#include "base/FormatControls.h"
#include "ui/ScreenFittingMessageBox.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <limits>

namespace {

// Every box the program shows: its text as it is (invisible controls in the quoted entries,
// paths and files could show them reversed), within the screen.
void showPlainText(QMessageBox::Icon icon, const QString& caption, const QString& text,
                   QWidget* parent) {
    ScreenFittingMessageBox box(icon, caption, withFormatControlsVisible(text), parent);
    box.exec();
}

} // namespace

void QtDialogs::notice(const QString& text, const QString& caption) {
    showPlainText(QMessageBox::NoIcon, caption, text, parent_);
}

void QtDialogs::errorReport(const ErrorReport& report) {
    showPlainText(QMessageBox::Warning, QLatin1String(ErrorReport::title), report.text(), parent_);
}

QString QtDialogs::inputBox(const QString& prompt, const QString& caption) {
    QInputDialog box(parent_);
    box.setWindowTitle(caption);
    box.setLabelText(prompt);
    box.setInputMode(QInputDialog::TextInput);
    // A line edit cuts what is typed or pasted at 32,767 characters, without a word: an address
    // may be longer, and is taken whole.
    for (auto* edit : box.findChildren<QLineEdit*>())
        edit->setMaxLength(std::numeric_limits<int>::max());
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

QStringList QtDialogs::showOpen(const CommonDialog& dialog) {
    return QFileDialog::getOpenFileNames(parent_, dialog.dialogTitle, dialog.fileName,
                                         qtNameFilter(dialog.filter));
}

QString QtDialogs::showSave(const CommonDialog& dialog) {
    return QFileDialog::getSaveFileName(parent_, dialog.dialogTitle, dialog.fileName,
                                        qtNameFilter(dialog.filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString qtNameFilter(const QString& commonDialogFilter) {
    const QStringList parts = commonDialogFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i).trimmed();
        QString pattern = parts.at(i + 1);
        pattern.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt shows the patterns in parentheses itself: drop the ones the description ends with,
        // and only those.
        if (description.endsWith(QLatin1Char(')')))
            description.truncate(description.lastIndexOf(QLatin1Char('(')));
        filters.append(description.trimmed() + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}
