#pragma once

#include "commands/CommandView.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// The window as a command sees it, without widgets: records what the command shows and answers
// from fields a test sets.
class FakeCommandView : public CommandView {
public:
    PointerState pointer = PointerState::Default;
    std::vector<double> progressValues; // every value set, in order
    QString progressText = QString(idleProgressText);
    QString count;
    std::optional<int> selected;
    int yields = 0;
    int waits = 0;
    bool closing = false;
    std::function<void()> onYield; // runs at each yield, as nested events would

    PointerState pointerState() const override { return pointer; }
    void setPointerState(PointerState state) override { pointer = state; }
    void setProgressValue(double percent) override { progressValues.push_back(percent); }
    void setProgressText(const QString& text) override { progressText = text; }
    QString countText() const override { return count; }
    std::optional<int> selectedRow() const override { return selected; }
    void yield() override {
        ++yields;
        if (onYield)
            onYield();
    }
    // Real events, so that a real shell's launchers can be seen to exit.
    void waitForEvents() override {
        ++waits;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    bool isClosing() const override { return closing; }
};
