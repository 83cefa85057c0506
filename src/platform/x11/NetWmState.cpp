// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/NetWmState.h"

#include <cstring>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

template <typename Reply> using XcbReply = std::unique_ptr<Reply, decltype(&free)>;

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::vector<xcb_atom_t> readStates(xcb_connection_t *connection, xcb_window_t window,
                                   xcb_atom_t property)
{
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_ATOM, 0, 1024),
            nullptr),
        &free);
    if (!reply || reply->format != 32 || reply->type != XCB_ATOM_ATOM)
        return {};
    const auto *first = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
    return {first, first + xcb_get_property_value_length(reply.get()) / sizeof(xcb_atom_t)};
}

} // namespace

namespace netwm {

void requestAbove(xcb_connection_t *connection, xcb_window_t window, bool above)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = internAtom(connection, "_NET_WM_STATE");
    event.data.data32[0] = above ? 1 : 0; // _NET_WM_STATE_ADD or _NET_WM_STATE_REMOVE
    event.data.data32[1] = internAtom(connection, "_NET_WM_STATE_ABOVE");
    event.data.data32[2] = 0;
    event.data.data32[3] = 1; // the request comes from a normal application
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(connection);
}

void writeAbove(xcb_connection_t *connection, xcb_window_t window, bool above)
{
    const xcb_atom_t property = internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE_ABOVE");
    std::vector<xcb_atom_t> states = readStates(connection, window, property);
    states.erase(std::remove(states.begin(), states.end(), state), states.end());
    if (above)
        states.push_back(state);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(states.size()), states.data());
    xcb_flush(connection);
}

} // namespace netwm
