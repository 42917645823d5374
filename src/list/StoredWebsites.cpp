#include "list/StoredWebsites.h"

#include "base/TextDecoding.h"
#include "list/WebsiteList.h"

#include <utility>

QByteArray StoredWebsites::join(const WebsiteList& list) {
    qsizetype length = 0;
    for (int row = 0; row < list.count(); ++row)
        length += list.utf8(row).size() + 1;
    QByteArray joined;
    joined.reserve(length);
    for (int row = 0; row < list.count(); ++row) {
        if (row > 0)
            joined += separator;
        joined += list.utf8(row);
    }
    return joined;
}

void StoredWebsites::appendTo(WebsiteList& list, QByteArray stored) {
    list.appendSplitUtf8(toValidUtf8PerPiece(std::move(stored), separator), separator);
}
