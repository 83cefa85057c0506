#include "platform/x11/FramedPlacement.h"

#include "platform/x11/WindowFrame.h"

#include <QEvent>
#include <QWidget>

FramedPlacement::FramedPlacement(QWidget &window, std::function<void()> place)
    : QObject(&window)
    , m_window(window)
    , m_place(std::move(place))
{
    window.installEventFilter(this);
}

bool FramedPlacement::eventFilter(QObject *watched, QEvent *event)
{
    // The window manager reparents a window into its frame before it maps or activates it; any of
    // these events may be the first to come after that.
    const QEvent::Type type = event->type();
    const bool seen =
        type == QEvent::Move || type == QEvent::Paint || type == QEvent::WindowActivate;
    if (m_pending && watched == &m_window && seen && !windowFrameMargins(m_window).isNull()) {
        m_pending = false;
        m_place();
    }
    return QObject::eventFilter(watched, event);
}
