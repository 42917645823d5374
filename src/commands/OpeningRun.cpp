#include "commands/OpeningRun.h"

#include "base/Dialogs.h"
#include "base/ErrorTrap.h"
#include "base/Failure.h"
#include "base/Shell.h"
#include "commands/CommandView.h"
#include "list/WebsiteList.h"
#include "opener/CountConversion.h"
#include "opener/RandomIndex.h"

#include <cstdint>

namespace {

// Statement numbers of the error reports.
enum Statement : int {
    checkForEntries = 100,
    setBusyPointer = 102,
    convertCountText = 104,
    setProgress = 106,
    yieldToWindow = 108,
    pickPosition = 110,
    readAddress = 112,
    handOver = 114,
    resetProgressValue = 118,
    resetProgressText = 120,
    setDefaultPointer = 122,
    reportEmptyList = 124,
    reportSkippedEntries = 126,
};

// The closing steps, in this order: the default pointer, the bar back to 0, its idle text.
void endRun(CommandView& view, ErrorTrap& trap) {
    trap.run(setDefaultPointer, [&] { view.setPointerState(PointerState::Default); });
    trap.run(resetProgressValue, [&] { view.setProgressValue(0.0); });
    trap.run(resetProgressText, [&] { view.setProgressText(CommandView::idleProgressText); });
}

// The address of the entry at a 1-based position. The entry count is read just before the pick
// with no yield in between, so the position is missing only when the list was emptied.
QString addressAt(const WebsiteList& list, int position) {
    if (position < 1 || position > list.count())
        throw Failure(QStringLiteral("Index out of bounds"));
    return list.text(position - 1);
}

// Waits, yielding, until the previous pick's hand-off has finished: a browser that is still
// starting loses addresses or starts twice when the next one comes in too soon. Stops waiting
// when the window closes.
void waitForPreviousHandOff(const Shell& shell, CommandView& view) {
    while (!shell.handOffFinished() && !view.isClosing())
        view.waitForEvents();
}

// Waits, yielding, until every pick has been handed over and its hand-off has finished.
void waitForEveryHandOff(const Shell& shell, CommandView& view) {
    while (!shell.everyHandOffFinished() && !view.isClosing())
        view.waitForEvents();
}

// A text as the notice shows it: its start, as the list does, for the box must not lay out
// megabytes of text; a NUL as a visible sign, where it would end what the box shows.
QString shown(const QString& text) {
    constexpr qsizetype shownLength = 200;
    QString start = text.size() > shownLength ? text.first(shownLength) + u'\u2026' : text;
    return start.replace(QChar(u'\0'), QChar(u'\u2400'));
}

// Each line of a text as the notice shows it: a launcher's first and last lines of error output
// are each told.
QString shownLines(const QString& text) {
    QStringList lines = text.split(u'\n');
    for (QString& line : lines)
        line = shown(line);
    return lines.join(u'\n');
}

// The picks of one kind that were never handed over: counted over the run, told at its end.
struct SkippedPicks {
    int count = 0;
    QString firstEntry;

    void add(const QString& entry) {
        if (count++ == 0)
            firstEntry = shown(entry);
    }
    QString notice(const QString& why, std::int32_t picks) const {
        return QStringLiteral("Not opened: %1 of %2 picks, whose entry %3. The first was:\n%4")
            .arg(count)
            .arg(picks)
            .arg(why, firstEntry);
    }
};

// What went wrong in the run, told in one notice at its end; nothing when all went well.
struct RunOutcome {
    SkippedPicks optionLike; // would be read as an option
    SkippedPicks holdingNul; // would be handed over cut at the NUL

    void add(Shell::HandOff handOff, const QString& entry) {
        if (handOff == Shell::HandOff::notAnAddress)
            optionLike.add(entry);
        else if (handOff == Shell::HandOff::holdsNul)
            holdingNul.add(entry);
    }

    QString notice(std::int32_t picks, const Shell::FailedHandOffs& failed) const {
        QStringList parts;
        if (optionLike.count > 0)
            parts << optionLike.notice(QStringLiteral("begins with \"-\" and so would be read as "
                                                      "an option, not as an address"),
                                       picks);
        if (holdingNul.count > 0)
            parts << holdingNul.notice(QStringLiteral("holds a NUL character, at which the "
                                                      "address handed over would end"),
                                       picks);
        if (failed.count > 0)
            parts << QStringLiteral("Could not be opened: %1 of %2 picks. The first failure "
                                    "said:\n%3")
                         .arg(failed.count)
                         .arg(picks)
                         .arg(shownLines(failed.firstError));
        return parts.join(QStringLiteral("\n\n"));
    }
};

} // namespace

void openRandomWebsites(const WebsiteList& list, CommandView& view, Dialogs& dialogs,
                        const QString& appTitle, const OpeningServices& services, ErrorTrap& trap) {
    bool empty = false;
    trap.run(checkForEntries, [&] { empty = list.count() == 0; });
    if (empty) {
        trap.run(reportEmptyList,
                 [&] { dialogs.notice(QStringLiteral("No Websites added."), appTitle); });
        return;
    }

    trap.run(setBusyPointer, [&] { view.setPointerState(PointerState::Busy); });
    std::int32_t n = 0;
    if (!trap.run(convertCountText, [&] { n = convertCount(view.countText()); })) {
        // Without a count there is nothing to loop over: end as after the last pick.
        endRun(view, trap);
        return;
    }

    RunOutcome outcome;
    // 64 bits, so that the counter cannot overflow after the last pick of the largest count.
    for (std::int64_t i = 1; i <= n; ++i) {
        trap.run(setProgress, [&] { view.setProgressValue(static_cast<double>(i) / n * 100.0); });
        trap.run(yieldToWindow, [&] {
            view.yield();
            waitForPreviousHandOff(services.shell, view);
        });
        // Closed during the yield: the close has saved the list and the window is going away,
        // so open nothing more and leave its controls alone.
        if (view.isClosing())
            return;
        int position = 0;
        trap.run(pickPosition, [&] {
            position = static_cast<int>(RandomIndex(services.random, services.clock, list.count()));
        });
        QString address;
        // The list was emptied during the yield: one report, then the run ends instead of
        // reporting at every remaining pick.
        if (!trap.run(readAddress, [&] { address = addressAt(list, position); }))
            break;
        trap.run(handOver, [&] { outcome.add(services.shell.open(address), address); });
    }
    // The last hand-off is waited for too, so that a failure of its launcher is told with the
    // others'; a launcher still running then has become the browser.
    trap.run(yieldToWindow, [&] { waitForEveryHandOff(services.shell, view); });
    if (view.isClosing())
        return;
    endRun(view, trap);
    trap.run(reportSkippedEntries, [&] {
        if (const QString notice = outcome.notice(n, services.shell.endRun()); !notice.isEmpty())
            dialogs.notice(notice, appTitle);
    });
}
