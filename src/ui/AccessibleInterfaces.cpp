#include "ui/AccessibleInterfaces.h"

#include "ui/AccessibleWebsiteList.h"
#include "ui/Form1.h"
#include "ui/WebsiteListView.h"

#include <QAccessibleWidget>

namespace {

QAccessibleInterface* interfaceFor(const QString& className, QObject* object) {
    if (className == QLatin1String(Form1::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<Form1*>(object), QAccessible::Window);
    if (className == QLatin1String(WebsiteListView::staticMetaObject.className()))
        return new AccessibleWebsiteList(static_cast<WebsiteListView*>(object));
    return nullptr;
}

} // namespace

void installAccessibleInterfaces() {
    QAccessible::removeFactory(interfaceFor);
    QAccessible::installFactory(interfaceFor);
}
