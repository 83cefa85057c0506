#include "platform/WindowFrame.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <memory>

namespace {

template <typename Reply> using XcbReply = std::unique_ptr<Reply, decltype(&free)>;

// Qt does not always learn the frame of a window that the window manager framed without moving
// it, but the window manager says so in a property of the window.
QMargins publishedFrameExtents(const QWidget &window)
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !window.windowHandle())
        return {};
    xcb_connection_t *const connection = x11->connection();
    const char name[] = "_NET_FRAME_EXTENTS";
    const XcbReply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof name - 1, name),
                              nullptr),
        &free);
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return {};
    const auto id = static_cast<xcb_window_t>(window.windowHandle()->winId());
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, id, atom->atom, XCB_ATOM_CARDINAL, 0, 4),
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

QMargins windowFrameMargins(const QWidget &window)
{
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    if (frame != client) {
        return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                        frame.right() - client.right(), frame.bottom() - client.bottom());
    }
    return publishedFrameExtents(window);
}

QRect outerGeometry(const QWidget &window)
{
    return window.geometry().marginsAdded(windowFrameMargins(window));
}

void moveFrameTo(QWidget &window, QPoint frameTopLeft)
{
    // Where Qt knows the frame, QWidget::move() places the frame itself.
    QWindow *const handle = window.windowHandle();
    if (window.frameGeometry() != window.geometry() || !handle) {
        window.move(frameTopLeft);
        return;
    }
    // Otherwise the inner area is placed, inside the frame the window manager published.
    const QMargins frame = publishedFrameExtents(window);
    handle->setPosition(frameTopLeft + QPoint(frame.left(), frame.top()));
}
