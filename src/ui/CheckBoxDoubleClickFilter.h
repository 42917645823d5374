#pragma once

#include <QObject>
#include <QPoint>

class QAbstractItemView;

// Makes a double-click on an entry's check box count as one click on the check box: it ticks or
// unticks the entry, and the list never sees a double-click there (a double-click on an entry
// deletes it, which the person did not point at). Installed on the view's viewport, owned by it.
class CheckBoxDoubleClickFilter : public QObject {
public:
    explicit CheckBoxDoubleClickFilter(QAbstractItemView* view);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isOnCheckBox(QPoint viewportPosition) const;

    QAbstractItemView* view_;
    bool swallowNextRelease_ = false;
};
