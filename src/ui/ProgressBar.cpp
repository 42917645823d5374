#include "ui/ProgressBar.h"

#include <algorithm>
#include <cmath>

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
    setRange(0, 100);
    setValue(0);
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
}

void ProgressBar::setExactValue(double percent) {
    exactValue_ = percent;
    setValue(static_cast<int>(std::lround(std::clamp(percent, 0.0, 100.0))));
}

void ProgressBar::setBarText(const QString& text) {
    barText_ = text;
    update();
}
