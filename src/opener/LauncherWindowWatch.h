#pragma once

#include "opener/LaunchReadiness.h"
#include "opener/XcbSupport.h"

#include <QObject>
#include <QSocketNotifier>
#include <cstdint>
#include <deque>
#include <memory>
#include <sys/types.h>

// Tells when a launcher that has become a program itself (xdg-open starting the browser, or a
// desktop's opener doing so) has shown that program's first top-level window on the X display:
// a window whose _NET_WM_PID is a process of the launcher's session. Chromium and Firefox take
// further addresses once that window is up and the program has settled (see
// SessionQuietWatch), so the next hand-off need not wait out a settle time. Works for any program
// that names its process on its windows, as GTK, Qt, Chromium and Firefox do, also under XWayland.
// Without an X display (none in DISPLAY, a native Wayland program) it never tells, and the caller
// falls back on its settle time.
//
// Nothing here waits for the X server: the connection is made on a thread of its own, and every
// question is answered as its reply comes in, so that a display that never answers only leaves
// the watch silent.
class LauncherWindowWatch : public LaunchReadiness {
public:
    LauncherWindowWatch();
    ~LauncherWindowWatch() override;
    LauncherWindowWatch(const LauncherWindowWatch&) = delete;
    LauncherWindowWatch& operator=(const LauncherWindowWatch&) = delete;

    // Connects to the display the first time.
    void watch(pid_t launcher, const QList<QByteArray>& addresses,
               std::function<void()> onReady) override;
    void stopWatching() override;

private:
    struct Display; // a connection and what the server said of itself, made on the thread
    struct ConnectAttempt;

    // A window that may be the launcher's, and the replies still to come about it.
    struct Question {
        std::uint32_t window;
        bool mapped;                   // known to be mapped, or asked in attributeRequest
        unsigned int attributeRequest; // 0 when not asked
        unsigned int ownerRequest;
    };

    static std::shared_ptr<Display> connectTo(const QByteArray& displayName);
    void connectInBackground();
    void connected(std::shared_ptr<Display> display);
    void readEvents();
    bool takeEvents();
    bool takeAnswers();
    void ask(std::uint32_t window, bool mapped);
    void noticeMappedWindowOf(pid_t owner);

    std::shared_ptr<ConnectAttempt> attempt_; // none before the first watch
    std::shared_ptr<Display> display_;        // none until connected
    pid_t launcher_ = 0;
    std::function<void()> onReady_;
    bool mapped_ = false;
    std::deque<Question> questions_;
    std::unique_ptr<QSocketNotifier> eventNotifier_;
    QObject eventLoopContext_; // where the connecting thread hands its connection over
};
