#pragma once

#include <QMessageBox>

// A box with one OK button that shows its text as it is and is never taller than the screen it
// is on. A text that would make it so (a long list of files, a failure quoting a huge entry) is
// shown with its middle left out and a line that says how much, so that the start and the end
// of the text and the OK button all stay in reach.
class ScreenFittingMessageBox : public QMessageBox {
public:
    ScreenFittingMessageBox(Icon icon, const QString& caption, const QString& text,
                            QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool fitsScreen() const;
    // The most characters of each end of the text that a box as tall as the screen could show.
    qsizetype mostShownAtEachEnd() const;

    QString text_;
};
