#include "ui/WindowActivation.h"

#include <QApplication>
#include <QWidget>

#if QT_CONFIG(xcb)
#include "opener/XcbSupport.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unistd.h>
#endif

namespace {

#if QT_CONFIG(xcb)

constexpr xcb_window_t noWindow = XCB_WINDOW_NONE;
constexpr xcb_timestamp_t noTime = XCB_CURRENT_TIME;

using XcbSupport::atomNamed;
using XcbSupport::Reply;
using XcbSupport::rootOfScreen;

xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The X server's time now: the time stamp of a property change on a window of its own, on a
// connection of its own (Qt's connection delivers its events to Qt).
xcb_timestamp_t serverTimeNow() {
    int screenNumber = 0;
    const XcbSupport::Connection owned(xcb_connect(nullptr, &screenNumber));
    xcb_connection_t* connection = owned.get();
    const xcb_window_t root =
        xcb_connection_has_error(connection) ? noWindow : rootOfScreen(connection, screenNumber);
    if (root == noWindow)
        return noTime;
    const xcb_window_t window = xcb_generate_id(connection);
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, 0, window, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                        8, 0, nullptr);
    xcb_flush(connection);
    while (const Reply<xcb_generic_event_t> event{xcb_wait_for_event(connection)}) {
        const int type = event->response_type & 0x7f;
        if (type == XCB_PROPERTY_NOTIFY)
            return reinterpret_cast<const xcb_property_notify_event_t*>(event.get())->time;
        if (type == 0) // an error
            break;
    }
    return noTime;
}

// The user's action time in a startup id ("..._TIME<time>"), or noTime.
xcb_timestamp_t timeOf(const QByteArray& activationId) {
    const qsizetype marker = activationId.lastIndexOf("_TIME");
    if (marker < 0)
        return noTime;
    bool isNumber = false;
    const uint time = activationId.mid(marker + 5).toUInt(&isNumber);
    return isNumber ? time : noTime;
}

xcb_window_t rootOf(xcb_connection_t* connection, xcb_window_t window) {
    const Reply<xcb_query_tree_reply_t> reply(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    return reply ? reply->root : noWindow;
}

void sendToRoot(xcb_connection_t* connection, xcb_window_t root,
                const xcb_client_message_event_t& message, std::uint32_t eventMask) {
    xcb_send_event(connection, 0, root, eventMask, reinterpret_cast<const char*>(&message));
}

// Whether a window manager runs that activates windows on request (_NET_ACTIVE_WINDOW).
bool windowManagerActivates(xcb_connection_t* connection, xcb_window_t root) {
    const xcb_atom_t activeWindow = atomNamed(connection, "_NET_ACTIVE_WINDOW");
    constexpr std::uint32_t mostAtoms = 4096;
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, root, atomNamed(connection, "_NET_SUPPORTED"),
                         XCB_ATOM_ATOM, 0, mostAtoms),
        nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto* supported = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::find(supported, supported + count, activeWindow) != supported + count;
}

// Gives the window the input focus as of the user's action at `time`. A window manager is
// asked, and its focus-stealing prevention accepts that time where a request with the
// program's own older time is refused; without one, the focus is set directly, and the X
// server too ignores a focus change older than the last one.
void activateAsOf(xcb_connection_t* connection, xcb_window_t window, xcb_timestamp_t time) {
    const xcb_window_t root = rootOf(connection, window);
    if (!windowManagerActivates(connection, root)) {
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, window, time);
        return;
    }
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atomNamed(connection, "_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 1; // the request comes from an application
    message.data.data32[1] = time;
    sendToRoot(connection, root, message,
               XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
}

// The startup notification message "remove: ID=<id>", which ends the launcher's busy pointer
// for the later start (its own process ends without showing a window). Sent to the root window
// in pieces of 20 bytes, the first marked as the beginning.
void endLaunchFeedback(xcb_connection_t* connection, xcb_window_t window,
                       const QByteArray& activationId) {
    QByteArray text =
        "remove: ID=\"" + QByteArray(activationId).replace('\\', "\\\\").replace('"', "\\\"") + '"';
    text.append('\0');
    const xcb_window_t root = rootOf(connection, window);
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 8;
    message.window = root;
    message.type = atomNamed(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t continuation = atomNamed(connection, "_NET_STARTUP_INFO");
    constexpr qsizetype pieceBytes = sizeof message.data.data8;
    for (qsizetype sent = 0; sent < text.size(); sent += pieceBytes) {
        std::memset(message.data.data8, 0, sizeof message.data.data8);
        std::memcpy(message.data.data8, text.constData() + sent,
                    static_cast<size_t>(std::min(pieceBytes, text.size() - sent)));
        sendToRoot(connection, root, message, XCB_EVENT_MASK_PROPERTY_CHANGE);
        message.type = continuation;
    }
}

#endif

void comeForward(QWidget& widget, const QByteArray& activationId) {
    widget.setWindowState(widget.windowState() & ~Qt::WindowMinimized);
    widget.raise();
#if QT_CONFIG(xcb)
    const xcb_timestamp_t time = timeOf(activationId);
    if (xcb_connection_t* connection = qtConnection(); connection && time != noTime) {
        activateAsOf(connection, static_cast<xcb_window_t>(widget.winId()), time);
        return;
    }
#endif
    widget.activateWindow(); // with the program's own last event time
}

} // namespace

QByteArray activationIdOfThisStart(const QByteArray& startupId) {
#if QT_CONFIG(xcb)
    if (startupId.isEmpty() && qtConnection() != nullptr) {
        return "corvantis" + QByteArray::number(::getpid()) + "_TIME" +
               QByteArray::number(serverTimeNow());
    }
#endif
    return startupId;
}

void bringWindowForward(QWidget& window, const QByteArray& activationId) {
    QWidget* const modalBox = QApplication::activeModalWidget();
    for (QWidget* widget : {&window, modalBox == &window ? nullptr : modalBox}) {
        if (widget != nullptr && widget->isVisible())
            comeForward(*widget, activationId);
    }
#if QT_CONFIG(xcb)
    if (xcb_connection_t* connection = qtConnection(); connection && !activationId.isEmpty()) {
        endLaunchFeedback(connection, static_cast<xcb_window_t>(window.winId()), activationId);
        xcb_flush(connection);
    }
#endif
}
