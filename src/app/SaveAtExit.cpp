#include "app/SaveAtExit.h"

#include "app/StandardErrorDialogs.h"
#include "ui/Form1.h"

#include <cstdlib>

namespace {

// The window whose list the hook saves; none once main() is leaving normally.
Form1* windowToSave = nullptr;

void saveOnExit() {
    if (windowToSave == nullptr)
        return;
    StandardErrorDialogs reports;
    windowToSave->saveAtExit(reports);
}

} // namespace

SaveAtExit::SaveAtExit(Form1& window) {
    // Registered as late as possible: hooks run in reverse order, so this one runs before the
    // clean-up of what the session set up before it (the save needs that).
    static const bool registered = std::atexit(saveOnExit) == 0;
    if (registered)
        windowToSave = &window;
}

SaveAtExit::~SaveAtExit() {
    windowToSave = nullptr;
}
