#include "platform/x11/DesktopWindowHints.h"

#include "platform/x11/X11Connection.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

namespace {

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(qstrlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return atom;
}

// Asks the window manager to add or remove _NET_WM_STATE_ABOVE on a mapped window, as EWMH
// wants it: a client message to the root window. The window is not unmapped, moved or resized.
void sendNetWmStateAbove(xcb_connection_t *connection, xcb_window_t window, bool above)
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

} // namespace

void DesktopWindowHints::setTopmost(QWidget &window, bool topmost)
{
    // Qt writes the state from the window flag whenever it maps the window, so a hidden window
    // takes it along. QWidget::setWindowFlag() would recreate the native window, which hides it
    // and makes it flash, so the flag is set on the existing QWindow instead.
    window.winId();
    QWindow *const handle = window.windowHandle();
    handle->setFlag(Qt::WindowStaysOnTopHint, topmost);

    // Qt does not pass a changed flag on to a window that is already mapped.
    xcb_connection_t *const connection = x11Connection();
    if (connection && window.isVisible())
        sendNetWmStateAbove(connection, static_cast<xcb_window_t>(window.winId()), topmost);
}
