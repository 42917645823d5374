#pragma once

// Which pointer the main window shows over itself. The busy value is also the program's only
// busy flag: the commands that must not run during a long command test for it.
enum class PointerState : int {
    Default = 0, // the arrow
    Busy = 11,   // the hourglass, while a long command runs
    Custom = 99, // the hand cursor loaded at start-up (the arrow when none was loaded)
};
