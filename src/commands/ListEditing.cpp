#include "commands/ListEditing.h"

#include "base/Dialogs.h"
#include "base/ErrorTrap.h"
#include "base/Failure.h"
#include "commands/CommandView.h"
#include "list/AddPrefixIfMissing.h"
#include "list/WebsiteList.h"

namespace {

// Statement numbers of the error reports.
enum AddStatement : int { askForAddress = 100, addPrefix = 104, appendAddress = 106 };
enum DeleteStatement : int { checkForEntries = 100, removeSelected = 102 };
enum ClearStatement : int { clearEntries = 100 };

bool isBusy(const CommandView& view) {
    return view.pointerState() == PointerState::Busy;
}

} // namespace

void addWebsite(WebsiteList& list, Dialogs& dialogs, const QString& appTitle, ErrorTrap& trap) {
    QString text;
    trap.run(askForAddress,
             [&] { text = dialogs.inputBox(QStringLiteral("Enter Website to add: "), appTitle); });
    if (text.isEmpty()) // cancelled, or confirmed empty
        return;
    trap.run(addPrefix, [&] { text = Main::AddPrefixIfMissing(text); });
    trap.run(appendAddress, [&] { list.append(text); });
}

void deleteSelectedWebsite(WebsiteList& list, const CommandView& view, ErrorTrap& trap) {
    bool empty = false;
    trap.run(checkForEntries, [&] { empty = list.count() == 0; });
    if (empty)
        return;
    trap.run(removeSelected, [&] {
        const std::optional<int> row = view.selectedRow();
        if (!row)
            throw Failure(QStringLiteral("No website is selected"));
        list.removeAt(*row);
    });
}

void clearAllWebsites(WebsiteList& list, const CommandView& view, ErrorTrap& trap) {
    trap.run(clearEntries, [&] {
        if (!isBusy(view))
            list.clear();
    });
}

void deleteSelectedUnlessBusy(WebsiteList& list, const CommandView& view) {
    if (isBusy(view) || list.count() == 0)
        return;
    if (const std::optional<int> row = view.selectedRow())
        list.removeAt(*row);
}
