#pragma once

#include "app/Platform.h"
#include "ui/PointerState.h"

#include <QString>
#include <optional>

class WebsiteList;

// What a command needs of the main window. Form1 implements it; tests may implement it too.
class CommandWindow {
public:
    virtual ~CommandWindow() = default;

    virtual PointerState pointerState() const = 0;
    virtual void setPointerState(PointerState state) = 0;

    virtual void setProgressValue(double percent) = 0;
    virtual void setProgressText(const QString& text) = 0;

    virtual QString countText() const = 0;

    // Handles the pending window events once; commands run nested inside it.
    virtual void yield() = 0;
    // True once the window has been asked to close: a long command stops at its next yield.
    virtual bool isClosing() const = 0;

    virtual WebsiteList& websiteList() = 0;
    // The selected entry's 0-based row, if one is selected.
    virtual std::optional<int> selectedRow() const = 0;

    virtual CommonDialog& commonDialog() = 0;
    virtual const Platform& platform() const = 0;

    // The caption of the message and input boxes that have no title of their own.
    virtual QString appTitle() const = 0;
};
