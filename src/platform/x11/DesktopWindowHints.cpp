// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/DesktopWindowHints.h"

#include "platform/x11/NetWmState.h"
#include "platform/x11/X11Connection.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

// A window's on-top state on X11, kept beside the window. The window manager drops
// _NET_WM_STATE when the window is withdrawn, so each time the window is about to be mapped the
// state is written into it again: Qt sends the show event just before it maps the window. A
// window manager still busy withdrawing the window could drop that too, so once the window is
// mapped the state is also asked for.
class TopmostState : public QObject {
    Q_OBJECT
public:
    static TopmostState &of(QWidget &window)
    {
        auto *const state = window.findChild<TopmostState *>(QString(), Qt::FindDirectChildrenOnly);
        return state ? *state : *new TopmostState(window);
    }

    void set(xcb_connection_t *connection, bool topmost)
    {
        m_topmost = topmost;
        // A window that Qt counts as visible, minimized ones too, is the window manager's to
        // change; a hidden one is withdrawn and carries the state in its own property.
        if (m_window.isVisible())
            netwm::requestAbove(connection, windowId(), topmost);
        else
            netwm::writeAbove(connection, windowId(), topmost);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A spontaneous show event comes from the window system for a window mapped already.
        if (watched == &m_window && event->type() == QEvent::Show && !event->spontaneous()) {
            if (xcb_connection_t *const connection = x11Connection()) {
                netwm::writeAbove(connection, windowId(), m_topmost);
                QMetaObject::invokeMethod(this, &TopmostState::requestOnceMapped,
                                          Qt::QueuedConnection);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    explicit TopmostState(QWidget &window)
        : QObject(&window)
        , m_window(window)
    {
        window.installEventFilter(this);
    }
    void requestOnceMapped()
    {
        xcb_connection_t *const connection = x11Connection();
        if (connection && m_window.isVisible())
            netwm::requestAbove(connection, windowId(), m_topmost);
    }
    xcb_window_t windowId() const { return static_cast<xcb_window_t>(m_window.winId()); }

    QWidget &m_window;
    bool m_topmost = false;
};

} // namespace

void DesktopWindowHints::setTopmost(QWidget &window, bool topmost)
{
    xcb_connection_t *const connection = x11Connection();
    if (!connection) {
        // Other platforms pass the flag on to the window system themselves.
        window.winId();
        window.windowHandle()->setFlag(Qt::WindowStaysOnTopHint, topmost);
        return;
    }
    // Not through Qt's stay-on-top flag: once that flag has changed, Qt's xcb plugin destroys the
    // X window and creates a new one the next time the window is shown, and the window manager
    // takes that for a new window, with a task-bar entry and a place of its own.
    TopmostState::of(window).set(connection, topmost);
}

#include "DesktopWindowHints.moc"
