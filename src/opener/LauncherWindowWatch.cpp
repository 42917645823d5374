#include "opener/LauncherWindowWatch.h"

#include "opener/XcbSupport.h"

#include <unistd.h>

namespace {

using XcbSupport::atomNamed;
using XcbSupport::Reply;
using XcbSupport::rootOfScreen;

// The process a window names as its owner in _NET_WM_PID, or 0 when it names none.
pid_t ownerOf(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t pidAtom) {
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1),
        nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 4)
        return 0;
    return static_cast<pid_t>(
        *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get())));
}

bool isMapped(xcb_connection_t* connection, xcb_window_t window) {
    const Reply<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr));
    return reply && reply->map_state != XCB_MAP_STATE_UNMAPPED;
}

} // namespace

LauncherWindowWatch::LauncherWindowWatch(std::chrono::milliseconds margin) : margin_(margin) {
    marginTimer_.setSingleShot(true);
    QObject::connect(&marginTimer_, &QTimer::timeout, &marginTimer_, [this] { shown_ = true; });
}

void LauncherWindowWatch::watch(pid_t launcher) {
    launcher_ = launcher;
    mapped_ = false;
    shown_ = false;
    marginTimer_.stop();
    connectOnce();
}

// Stays without a connection where there is no X display.
void LauncherWindowWatch::connectOnce() {
    if (triedToConnect_)
        return;
    triedToConnect_ = true;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    int screenNumber = 0;
    XcbSupport::Connection connection(xcb_connect(nullptr, &screenNumber));
    if (xcb_connection_has_error(connection.get()))
        return;
    root_ = rootOfScreen(connection.get(), screenNumber);
    pidAtom_ = atomNamed(connection.get(), "_NET_WM_PID");
    if (root_ == XCB_WINDOW_NONE || pidAtom_ == XCB_ATOM_NONE)
        return;
    // Top-level windows are created as children of the root, also under a window manager.
    const std::uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection.get(), root_, XCB_CW_EVENT_MASK, &events);
    xcb_flush(connection.get());
    connection_ = std::move(connection);
    eventNotifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_.get()),
                                                       QSocketNotifier::Read);
    QObject::connect(eventNotifier_.get(), &QSocketNotifier::activated, eventNotifier_.get(),
                     [this] { readEvents(); });
}

void LauncherWindowWatch::readEvents() {
    xcb_connection_t* connection = connection_.get();
    while (const Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection)}) {
        if (launcher_ == 0 || mapped_)
            continue; // nothing watched: the events are only read away
        const int type = event->response_type & ~0x80;
        if (type == XCB_CREATE_NOTIFY) {
            const auto* created = reinterpret_cast<const xcb_create_notify_event_t*>(event.get());
            if (created->parent == root_ && created->override_redirect == 0)
                noticeNewWindow(created->window);
        } else if (type == XCB_MAP_NOTIFY) {
            const auto* mapped = reinterpret_cast<const xcb_map_notify_event_t*>(event.get());
            if (mapped->override_redirect == 0)
                noticeMappedWindow(mapped->window);
        }
    }
    // The display has gone: its socket would wake the event loop for ever.
    if (xcb_connection_has_error(connection))
        eventNotifier_->setEnabled(false);
}

// A window manager maps a new window inside a frame of its own, so the root hears only of the
// frame: the window's own map is heard on the window. It may have been mapped already.
void LauncherWindowWatch::noticeNewWindow(std::uint32_t window) {
    const std::uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_.get(), window, XCB_CW_EVENT_MASK, &events);
    if (isMapped(connection_.get(), window))
        noticeMappedWindow(window);
}

void LauncherWindowWatch::noticeMappedWindow(std::uint32_t window) {
    const pid_t owner = ownerOf(connection_.get(), window, pidAtom_);
    if (mapped_ || owner <= 0 || getsid(owner) != launcher_)
        return;
    mapped_ = true;
    if (margin_.count() > 0)
        marginTimer_.start(margin_);
    else
        shown_ = true;
}
