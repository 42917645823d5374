#pragma once

#include <QProgressBar>

// A progress bar that keeps the exact percentage a run sets (the bar shows it rounded) and
// shows a text of its own in the bar.
class ProgressBar : public QProgressBar {
    Q_OBJECT

public:
    explicit ProgressBar(QWidget* parent = nullptr);

    double exactValue() const { return exactValue_; }
    void setExactValue(double percent);

    QString barText() const { return barText_; }
    void setBarText(const QString& text);

    QString text() const override { return barText_; }

private:
    double exactValue_ = 0.0;
    QString barText_;
};
