#include "opener/OpeningRun.h"

#include "app/ErrorTrap.h"
#include "app/Failure.h"
#include "list/WebsiteList.h"
#include "opener/CountConversion.h"
#include "opener/RandomIndex.h"
#include "ui/CommandWindow.h"
#include "ui/ProgressBar.h"

#include <cstdint>

namespace {

// The closing steps, in this order: the default pointer, the bar back to 0, its idle text.
void endRun(CommandWindow& window, ErrorTrap& trap) {
    trap.run(122, [&] { window.setPointerState(PointerState::Default); });
    trap.run(118, [&] { window.setProgressValue(0.0); });
    trap.run(120, [&] { window.setProgressText(ProgressBar::idleText); });
}

// The address of the entry at a 1-based position. The entry count is read just before the pick
// with no yield in between, so the position is missing only when the list was emptied.
QString addressAt(const WebsiteList& list, int position) {
    if (position < 1 || position > list.count())
        throw Failure(QStringLiteral("Index out of bounds"));
    return list.text(position - 1);
}

} // namespace

void openRandomWebsites(CommandWindow& window, ErrorTrap& trap) {
    WebsiteList& list = window.websiteList();
    const Platform& platform = window.platform();

    bool empty = false;
    trap.run(100, [&] { empty = list.count() == 0; });
    if (empty) {
        trap.run(124, [&] {
            platform.dialogs.notice(QStringLiteral("No Websites added."), window.appTitle());
        });
        return;
    }

    trap.run(102, [&] { window.setPointerState(PointerState::Busy); });
    std::int32_t n = 0;
    if (!trap.run(104, [&] { n = convertCount(window.countText()); })) {
        // Without a count there is nothing to loop over: end as after the last pick.
        endRun(window, trap);
        return;
    }

    // 64 bits, so that the counter cannot overflow after the last pick of the largest count.
    for (std::int64_t i = 1; i <= n; ++i) {
        trap.run(106, [&] { window.setProgressValue(static_cast<double>(i) / n * 100.0); });
        trap.run(108, [&] { window.yield(); });
        // Closed during the yield: the close has saved the list and the window is going away,
        // so open nothing more and leave its controls alone.
        if (window.isClosing())
            return;
        int position = 0;
        trap.run(110, [&] {
            position = static_cast<int>(RandomIndex(platform.random, platform.clock, list.count()));
        });
        QString address;
        // The list was emptied during the yield: one report, then the run ends instead of
        // reporting at every remaining pick.
        if (!trap.run(112, [&] { address = addressAt(list, position); }))
            break;
        trap.run(114, [&] { platform.shell.open(address); });
    }
    endRun(window, trap);
}
