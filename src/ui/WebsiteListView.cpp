#include "ui/WebsiteListView.h"

#include "ui/RowFocusDelegate.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>

WebsiteListView::WebsiteListView(QWidget* parent) : QTableView(parent) {
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setItemDelegate(new RowFocusDelegate(this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    fitRowHeightToOneLine();
}

void WebsiteListView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange)
        fitRowHeightToOneLine();
}

// Every row is as high as the item delegate asks for an entry with a check box and one line of
// text in the view's font and style (the skin's item padding included).
void WebsiteListView::fitRowHeightToOneLine() {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasCheckIndicator;
    option.text = QStringLiteral("W");
    const QSize size = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
    verticalHeader()->setDefaultSectionSize(size.height());
}

// Scrolled to the end a row at a time, a table puts the last row at the bottom edge and cuts
// the top row; the list keeps whole rows from the top, as it always did.
bool WebsiteListView::isScrolledToEnd() const {
    return verticalScrollMode() == ScrollPerItem &&
           verticalScrollBar()->value() == verticalScrollBar()->maximum();
}

void WebsiteListView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    if (isScrolledToEnd()) {
        verticalHeader()->setOffsetToSectionPosition(verticalScrollBar()->value());
        viewport()->update();
    }
}

void WebsiteListView::updateGeometries() {
    QTableView::updateGeometries();
    if (isScrolledToEnd())
        verticalHeader()->setOffsetToSectionPosition(verticalScrollBar()->value());
}
