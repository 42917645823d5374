#pragma once

class Form1;

// Qt's X11 platform ends the program with exit(1) from inside the event loop when the X server
// goes away ("The X11 connection broke": a logout without a session manager, a dropped ssh -X, a
// crashed Xwayland). No close request comes then, and exec() never returns. While this lives,
// an exit hook runs the window's save on that way out too, its reports on stderr.
class SaveAtExit {
public:
    explicit SaveAtExit(Form1& window);
    ~SaveAtExit();
    SaveAtExit(const SaveAtExit&) = delete;
    SaveAtExit& operator=(const SaveAtExit&) = delete;
};
