#include "ui/AccessibleInterfaces.h"

#include "ui/AccessibleWebsiteList.h"
#include "ui/Form1.h"
#include "ui/ProgressBar.h"
#include "ui/WebsiteListView.h"

#include <QAccessibleWidget>

namespace {

// The progress bar as something to read, not to set: Qt's own interface has a value
// interface, for which the desktop's accessibility bridge offers Increase and Decrease actions
// although nobody can move the bar. What it shows is its description.
class ReadOnlyProgressBar : public QAccessibleWidget {
public:
    explicit ReadOnlyProgressBar(ProgressBar* bar)
        : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        return state;
    }

    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Description || type == QAccessible::Value)
            return static_cast<const ProgressBar*>(widget())->text();
        return QAccessibleWidget::text(type);
    }
};

QAccessibleInterface* interfaceFor(const QString& className, QObject* object) {
    if (className == QLatin1String(Form1::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<Form1*>(object), QAccessible::Window);
    if (className == QLatin1String(WebsiteListView::staticMetaObject.className()))
        return new AccessibleWebsiteList(static_cast<WebsiteListView*>(object));
    if (className == QLatin1String(ProgressBar::staticMetaObject.className()))
        return new ReadOnlyProgressBar(static_cast<ProgressBar*>(object));
    return nullptr;
}

} // namespace

void installAccessibleInterfaces() {
    QAccessible::removeFactory(interfaceFor);
    QAccessible::installFactory(interfaceFor);
}
