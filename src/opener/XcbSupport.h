#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

// Owners and look-ups for the few requests the program makes of an X server through xcb: the
// starting browser's window (opener/) and bringing the window forward (ui/).
namespace XcbSupport {

// xcb allocates its replies and events with malloc.
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

struct Disconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;

// The root window of the numbered screen; XCB_WINDOW_NONE when the server has no such screen.
inline xcb_window_t rootOfScreen(xcb_connection_t* connection, int screenNumber) {
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0)
        return XCB_WINDOW_NONE;
    return screens.data->root;
}

// The atom of that name, made if the server has none yet; XCB_ATOM_NONE when it cannot answer.
inline xcb_atom_t atomNamed(xcb_connection_t* connection, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    if (!reply)
        return XCB_ATOM_NONE;
    return reply->atom;
}

} // namespace XcbSupport
