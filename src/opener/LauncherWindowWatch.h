#pragma once

#include "opener/XcbSupport.h"

#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <memory>
#include <sys/types.h>

// Tells when a launcher that has become a program itself (xdg-open starting the browser) has
// shown that program's first top-level window on the X display: a window whose _NET_WM_PID is a
// process of the launcher's session. Chromium and Firefox take further addresses once that
// window is up, so the next hand-off need not wait out a settle time. Works for any program
// that names its process on its windows, as GTK, Qt, Chromium and Firefox do, also under
// XWayland. Without an X display (none in DISPLAY, a native Wayland program) it never tells,
// and the caller falls back on its settle time.
class LauncherWindowWatch {
public:
    // The program is deemed ready `margin` after its window was mapped.
    explicit LauncherWindowWatch(std::chrono::milliseconds margin);
    LauncherWindowWatch(const LauncherWindowWatch&) = delete;
    LauncherWindowWatch& operator=(const LauncherWindowWatch&) = delete;

    // Watches for a window of the session led by `launcher` (started with setsid), in place of
    // the one watched before. Connects to the display the first time.
    void watch(pid_t launcher);
    // A window of the watched session was mapped, and the margin has passed since.
    bool windowShown() const { return shown_; }

private:
    void connectOnce();
    void readEvents();
    void noticeNewWindow(std::uint32_t window);
    void noticeMappedWindow(std::uint32_t window);

    std::chrono::milliseconds margin_;
    bool triedToConnect_ = false;
    // Declared before its notifier, so that it is closed after it.
    XcbSupport::Connection connection_;
    std::uint32_t root_ = 0;
    std::uint32_t pidAtom_ = 0;
    pid_t launcher_ = 0;
    bool mapped_ = false;
    bool shown_ = false;
    std::unique_ptr<QSocketNotifier> eventNotifier_;
    QTimer marginTimer_; // its timeout also wakes a run that waits for the window
};
