#include "list/ListEditing.h"

#include "app/ErrorTrap.h"
#include "app/Failure.h"
#include "list/WebsiteList.h"
#include "ui/CommandWindow.h"

#include <QStringView>

namespace {

const QString httpPrefix = QStringLiteral("http://");

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isSchemeCharacter(QChar c) {
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

// "https://", "HTTP://", "ftp://", "svn+ssh://": a letter, then letters, digits, "+", "-" or
// ".", then "://". Such an address already says how to open it; a second scheme in front of
// it would make an address that opens nothing.
bool beginsWithScheme(QStringView text) {
    if (text.isEmpty() || !isAsciiLetter(text.front()))
        return false;
    qsizetype end = 1;
    while (end < text.size() && isSchemeCharacter(text[end]))
        ++end;
    return text.sliced(end).startsWith(u"://");
}

bool isBusy(const CommandWindow& window) {
    return window.pointerState() == PointerState::Busy;
}

} // namespace

QString Main::AddPrefixIfMissing(const QString& text) {
    if (beginsWithScheme(text) || text.contains(httpPrefix, Qt::CaseSensitive))
        return text;
    return httpPrefix + text;
}

void addWebsite(CommandWindow& window, ErrorTrap& trap) {
    QString text;
    trap.run(100, [&] {
        text = window.platform().dialogs.inputBox(QStringLiteral("Enter Website to add: "),
                                                  window.appTitle());
    });
    if (text.isEmpty()) // 102: cancelled, or confirmed empty
        return;
    trap.run(104, [&] { text = Main::AddPrefixIfMissing(text); });
    trap.run(106, [&] { window.websiteList().append(text); });
}

void deleteSelectedWebsite(CommandWindow& window, ErrorTrap& trap) {
    WebsiteList& list = window.websiteList();
    bool empty = false;
    trap.run(100, [&] { empty = list.count() == 0; });
    if (empty)
        return;
    trap.run(102, [&] {
        const std::optional<int> row = window.selectedRow();
        if (!row)
            throw Failure(QStringLiteral("No website is selected"));
        list.removeAt(*row);
    });
}

void clearAllWebsites(CommandWindow& window, ErrorTrap& trap) {
    trap.run(100, [&] {
        if (!isBusy(window))
            window.websiteList().clear();
    });
}

void deleteSelectedUnlessBusy(CommandWindow& window) {
    if (isBusy(window))
        return;
    WebsiteList& list = window.websiteList();
    if (list.count() == 0)
        return;
    if (const std::optional<int> row = window.selectedRow())
        list.removeAt(*row);
}
