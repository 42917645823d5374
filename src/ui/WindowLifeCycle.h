#pragma once

// The window's life from its start-up to its close, one stage at a time, and what each request
// to close does in it: during start-up it waits, as saving the list not yet restored would
// overwrite the stored one; once the window is open, the first runs the one save; after that
// none does anything more.
class WindowLifeCycle {
public:
    // What a request to close the window (its close box, the session's end, a signal) does.
    enum class CloseRequest {
        waitForLoad, // refused for now; it is made again once start-up has ended
        save,        // the close goes on and runs the save
        closing,     // the close goes on; the save has run or is running
    };

    // Start-up has ended. True when a close was requested meanwhile, to be made again now.
    bool finishLoading();
    CloseRequest requestClose();
    // The display is gone and the program ends without a close: true when the save is to run
    // now, with nothing more from the display; false before start-up has ended or once a
    // close has begun.
    bool displayLost();

    bool isClosing() const { return stage_ == Stage::closing || displayGone(); }
    bool displayGone() const { return stage_ == Stage::closingWithoutDisplay; }

private:
    enum class Stage {
        loading,               // start-up restores the list
        loadingCloseRequested, // and a close waits for it to end
        open,
        closing,               // the close's save has begun
        closingWithoutDisplay, // the save at exit has begun: the display is gone
    };

    Stage stage_ = Stage::loading;
};
