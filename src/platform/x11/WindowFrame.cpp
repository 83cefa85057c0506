// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/WindowFrame.h"

#include "platform/x11/X11Connection.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <memory>

namespace {

template <typename Reply> using XcbReply = std::unique_ptr<Reply, decltype(&free)>;

xcb_atom_t frameExtentsAtom(xcb_connection_t *connection)
{
    // An atom stays the same for as long as the X server runs.
    static xcb_atom_t atom = XCB_ATOM_NONE;
    if (atom != XCB_ATOM_NONE)
        return atom;
    const char name[] = "_NET_FRAME_EXTENTS";
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name),
                              nullptr),
        &free);
    atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    return atom;
}

// Qt does not always learn the frame of a window that the window manager framed without moving
// it, but the window manager says so in a property of the window.
QMargins publishedFrameExtents(const QWidget &window)
{
    xcb_connection_t *const connection = x11Connection();
    if (!connection || !window.windowHandle())
        return {};
    const xcb_atom_t atom = frameExtentsAtom(connection);
    if (atom == XCB_ATOM_NONE)
        return {};
    const auto id = static_cast<xcb_window_t>(window.windowHandle()->winId());
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, id, atom, XCB_ATOM_CARDINAL, 0, 4),
                               nullptr),
        &free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16)
        return {};
    const auto *extents = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    // Left, right, top, bottom.
    // The window manager counts device pixels; Qt's geometry is in device-independent pixels.
    const QMarginsF device(extents[0], extents[2], extents[1], extents[3]);
    return (device / window.devicePixelRatioF()).toMargins();
}

} // namespace

// What the window manager publishes is what it draws; Qt's own idea of the frame is worked out
// from the window tree and can be caught half-way while the window is being reparented.
QMargins windowFrameMargins(const QWidget &window)
{
    const QMargins published = publishedFrameExtents(window);
    if (!published.isNull())
        return published;
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

QRect outerGeometry(const QWidget &window)
{
    return window.geometry().marginsAdded(windowFrameMargins(window));
}

void moveFrameTo(QWidget &window, QPoint frameTopLeft)
{
    // Inside a published frame the inner area is placed, which does not depend on Qt's idea of
    // the frame; otherwise QWidget::move() places the frame as Qt knows it.
    QWindow *const handle = window.windowHandle();
    const QMargins published = publishedFrameExtents(window);
    if (!handle || published.isNull()) {
        window.move(frameTopLeft);
        return;
    }
    handle->setPosition(frameTopLeft + QPoint(published.left(), published.top()));
}

bool isFrameExtentsChange(const QWidget &window, const QByteArray &eventType, const void *message)
{
    xcb_connection_t *const connection = x11Connection();
    if (!connection || eventType != "xcb_generic_event_t" || !window.windowHandle())
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    // The high bit marks events that another client sent.
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto *notify = static_cast<const xcb_property_notify_event_t *>(message);
    return notify->window == static_cast<xcb_window_t>(window.windowHandle()->winId()) &&
           notify->atom == frameExtentsAtom(connection);
}
