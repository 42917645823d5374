#include "ui/ScreenFittingMessageBox.h"

#include <QFontMetrics>
#include <QScreen>
#include <QStyle>

namespace {

// The text with all but `kept` characters at each end left out, and a line in their place that
// says how many.
QString withMiddleLeftOut(const QString& text, qsizetype kept) {
    return text.first(kept) +
           QStringLiteral("\n[\u2026 %1 characters not shown \u2026]\n")
               .arg(text.size() - 2 * kept) +
           text.last(kept);
}

} // namespace

ScreenFittingMessageBox::ScreenFittingMessageBox(Icon icon, const QString& caption,
                                                 const QString& text, QWidget* parent)
    : QMessageBox(icon, caption, text, QMessageBox::Ok, parent), text_(text) {
    // The texts quote entries, paths and files, which Qt would otherwise take for rich text when
    // they look like HTML (and then show images, or links).
    setTextFormat(Qt::PlainText);
}

void ScreenFittingMessageBox::showEvent(QShowEvent* event) {
    QMessageBox::showEvent(event); // sizes the box to its text; setText sizes it again
    if (fitsScreen())
        return;
    // The longest shortened text that fits, found by halving: each try lays the text out once.
    qsizetype fits = 0;
    qsizetype tooLong = mostShownAtEachEnd() + 1;
    while (tooLong - fits > 1) {
        const qsizetype middle = fits + (tooLong - fits) / 2;
        setText(withMiddleLeftOut(text_, middle));
        (fitsScreen() ? fits : tooLong) = middle;
    }
    setText(withMiddleLeftOut(text_, fits));
    adjustPosition(parentWidget()); // placed for the taller box before
}

bool ScreenFittingMessageBox::fitsScreen() const {
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    return height() + titleBar <= screen()->availableGeometry().height();
}

qsizetype ScreenFittingMessageBox::mostShownAtEachEnd() const {
    const QFontMetrics metrics(font());
    const QSize screenSize = screen()->availableGeometry().size();
    const qsizetype lines = screenSize.height() / qMax(1, metrics.lineSpacing());
    const qsizetype perLine = screenSize.width() / qMax(1, metrics.horizontalAdvance(u'.'));
    return qMin(text_.size() / 2, lines * perLine);
}
