#pragma once

#include "commands/PointerState.h"

#include <QLatin1StringView>
#include <QString>
#include <optional>

// What a command shows in the main window and reads back from it. Form1 implements it; tests
// of the commands use a small fake.
class CommandView {
public:
    // The text the progress bar shows when no run is going on.
    static constexpr QLatin1StringView idleProgressText{"Progress Bar"};

    virtual ~CommandView() = default;

    virtual PointerState pointerState() const = 0;
    virtual void setPointerState(PointerState state) = 0;

    virtual void setProgressValue(double percent) = 0;
    virtual void setProgressText(const QString& text) = 0;

    virtual QString countText() const = 0;
    // The selected entry's 0-based row, if one is selected.
    virtual std::optional<int> selectedRow() const = 0;

    // Handles the pending window events once; commands run nested inside it.
    virtual void yield() = 0;
    // Sleeps until a window event, a timer or a watched process has something to handle, then
    // handles it: a command waiting for the desktop yields without spinning the processor.
    virtual void waitForEvents() = 0;
    // True once the window has been asked to close: a long command stops at its next yield.
    virtual bool isClosing() const = 0;
};
