#include "opener/LauncherWindowWatch.h"

#include "opener/XcbSupport.h"

#include <QMetaObject>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <utility>
#include <xcb/xcbext.h> // xcb_poll_for_reply: a reply taken without waiting for it

using XcbSupport::atomNamed;
using XcbSupport::Reply;
using XcbSupport::rootOfScreen;

struct LauncherWindowWatch::Display {
    XcbSupport::Connection connection;
    xcb_window_t root = XCB_WINDOW_NONE;
    xcb_atom_t pidAtom = XCB_ATOM_NONE;
};

// Shared by the watch and the thread that connects: a watch that has gone before the thread
// ends is told of nothing, and the thread closes what it made.
struct LauncherWindowWatch::ConnectAttempt {
    std::mutex mutex;
    LauncherWindowWatch* watch = nullptr; // guarded by the mutex
};

// Connects to the display named, learns its root and the _NET_WM_PID atom, and listens for the
// top-level windows created on it. Blocks for as long as the server takes to answer.
std::shared_ptr<LauncherWindowWatch::Display>
LauncherWindowWatch::connectTo(const QByteArray& displayName) {
    auto display = std::make_shared<Display>();
    int screenNumber = 0;
    display->connection.reset(xcb_connect(displayName.constData(), &screenNumber));
    xcb_connection_t* connection = display->connection.get();
    if (xcb_connection_has_error(connection))
        return nullptr;
    display->root = rootOfScreen(connection, screenNumber);
    display->pidAtom = atomNamed(connection, "_NET_WM_PID");
    if (display->root == XCB_WINDOW_NONE || display->pidAtom == XCB_ATOM_NONE)
        return nullptr;
    // Top-level windows are created as children of the root, also under a window manager.
    const std::uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, display->root, XCB_CW_EVENT_MASK, &events);
    xcb_flush(connection);
    return display;
}

namespace {

// The reply to a request, once it has come; false while it is still to come. An error in
// place of the reply (the window is gone) leaves `reply` empty.
template <typename T>
bool answered(xcb_connection_t* connection, unsigned int request, Reply<T>& reply) {
    void* got = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (xcb_poll_for_reply(connection, request, &got, &error) == 0)
        return false;
    reply.reset(static_cast<T*>(got));
    const Reply<xcb_generic_error_t> ignored(error);
    return true;
}

// The process a window names as its owner in _NET_WM_PID, or 0 when it names none.
pid_t ownerNamedIn(xcb_get_property_reply_t* reply) {
    if (reply == nullptr || reply->format != 32 || xcb_get_property_value_length(reply) != 4)
        return 0;
    return static_cast<pid_t>(*static_cast<const std::uint32_t*>(xcb_get_property_value(reply)));
}

} // namespace

LauncherWindowWatch::LauncherWindowWatch() = default;

LauncherWindowWatch::~LauncherWindowWatch() {
    if (attempt_) {
        const std::lock_guard lock(attempt_->mutex);
        attempt_->watch = nullptr;
    }
}

void LauncherWindowWatch::watch(pid_t launcher, const QList<QByteArray>& /*addresses*/,
                                std::function<void()> onReady) {
    launcher_ = launcher;
    onReady_ = std::move(onReady);
    mapped_ = false;
    if (!attempt_)
        connectInBackground();
}

void LauncherWindowWatch::stopWatching() {
    launcher_ = 0;
    onReady_ = {};
}

// Stays without a connection where there is no X display, or one that does not answer.
void LauncherWindowWatch::connectInBackground() {
    attempt_ = std::make_shared<ConnectAttempt>();
    attempt_->watch = this;
    const QByteArray displayName = qgetenv("DISPLAY");
    if (displayName.isEmpty())
        return;
    std::thread([attempt = attempt_, displayName] {
        std::shared_ptr<Display> display = connectTo(displayName);
        const std::lock_guard lock(attempt->mutex);
        if (display && attempt->watch != nullptr)
            QMetaObject::invokeMethod(
                &attempt->watch->eventLoopContext_,
                [watch = attempt->watch, display] { watch->connected(display); },
                Qt::QueuedConnection);
    }).detach();
}

void LauncherWindowWatch::connected(std::shared_ptr<Display> display) {
    display_ = std::move(display);
    eventNotifier_ = std::make_unique<QSocketNotifier>(
        xcb_get_file_descriptor(display_->connection.get()), QSocketNotifier::Read);
    QObject::connect(eventNotifier_.get(), &QSocketNotifier::activated, eventNotifier_.get(),
                     [this] { readEvents(); });
    readEvents(); // what came while the connection was on its way here
}

void LauncherWindowWatch::readEvents() {
    // Taking a reply may read events from the socket too, and the other way round: both until
    // nothing more has come, for the socket no longer wakes the event loop for what xcb holds.
    for (bool more = true; more;) {
        more = takeEvents();
        more = takeAnswers() || more;
    }
    xcb_connection_t* connection = display_->connection.get();
    xcb_flush(connection);
    // The display has gone: its socket would wake the event loop for ever.
    if (xcb_connection_has_error(connection))
        eventNotifier_->setEnabled(false);
}

bool LauncherWindowWatch::takeEvents() {
    bool took = false;
    while (const Reply<xcb_generic_event_t> event{xcb_poll_for_event(display_->connection.get())}) {
        took = true;
        if (launcher_ == 0 || mapped_)
            continue; // nothing watched: the events are only read away
        const int type = event->response_type & ~0x80;
        if (type == XCB_CREATE_NOTIFY) {
            const auto* created = reinterpret_cast<const xcb_create_notify_event_t*>(event.get());
            if (created->parent == display_->root && created->override_redirect == 0)
                ask(created->window, false);
        } else if (type == XCB_MAP_NOTIFY) {
            const auto* mapped = reinterpret_cast<const xcb_map_notify_event_t*>(event.get());
            if (mapped->override_redirect == 0)
                ask(mapped->window, true);
        }
    }
    return took;
}

// Asks whose a window is and, for a new one, whether it is mapped already. A window manager maps
// a new window inside a frame of its own, so the root hears only of the frame: the window's own
// map is heard on the window, which is why a new window's structure events are asked for too.
void LauncherWindowWatch::ask(std::uint32_t window, bool mapped) {
    xcb_connection_t* connection = display_->connection.get();
    Question question{window, mapped, 0, 0};
    if (!mapped) {
        const std::uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &events);
        question.attributeRequest = xcb_get_window_attributes(connection, window).sequence;
    }
    question.ownerRequest =
        xcb_get_property(connection, 0, window, display_->pidAtom, XCB_ATOM_CARDINAL, 0, 1)
            .sequence;
    questions_.push_back(question);
}

// The replies come in the order of the questions.
bool LauncherWindowWatch::takeAnswers() {
    xcb_connection_t* connection = display_->connection.get();
    bool took = false;
    while (!questions_.empty()) {
        Question& question = questions_.front();
        if (question.attributeRequest != 0) {
            Reply<xcb_get_window_attributes_reply_t> attributes;
            if (!answered(connection, question.attributeRequest, attributes))
                return took;
            question.attributeRequest = 0;
            question.mapped = attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED;
        }
        Reply<xcb_get_property_reply_t> owner;
        if (!answered(connection, question.ownerRequest, owner))
            return took;
        took = true;
        if (question.mapped)
            noticeMappedWindowOf(ownerNamedIn(owner.get()));
        questions_.pop_front();
    }
    return took;
}

void LauncherWindowWatch::noticeMappedWindowOf(pid_t owner) {
    if (launcher_ == 0 || mapped_ || owner <= 0 || getsid(owner) != launcher_)
        return;
    mapped_ = true;
    if (onReady_)
        std::exchange(onReady_, {})();
}
