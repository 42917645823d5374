#include "ui/CheckBoxDoubleClickFilter.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

// Gives access to how the standard delegate describes an item to the style, so that the check
// box is found where the delegate itself looks for it.
class ItemOptionReader : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::initStyleOption;
};

} // namespace

CheckBoxDoubleClickFilter::CheckBoxDoubleClickFilter(QAbstractItemView* view)
    : QObject(view), view_(view) {
    view->viewport()->installEventFilter(this);
}

bool CheckBoxDoubleClickFilter::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        swallowNextRelease_ = isOnCheckBox(mouse->position().toPoint());
        return swallowNextRelease_;
    }
    if (event->type() == QEvent::MouseButtonRelease && swallowNextRelease_) {
        // The release that ends the double-click would tick the box a second time.
        swallowNextRelease_ = false;
        return true;
    }
    return false;
}

bool CheckBoxDoubleClickFilter::isOnCheckBox(QPoint viewportPosition) const {
    const QModelIndex index = view_->indexAt(viewportPosition);
    if (!index.isValid() || !index.flags().testFlag(Qt::ItemIsUserCheckable))
        return false;
    QStyleOptionViewItem option;
    option.initFrom(view_);
    option.widget = view_;
    option.rect = view_->visualRect(index);
    ItemOptionReader().initStyleOption(&option, index);
    return view_->style()
        ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view_)
        .contains(viewportPosition);
}
