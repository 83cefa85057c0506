// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FramedPlacement.h"

#include "platform/x11/WindowFrame.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

FramedPlacement::FramedPlacement(QWidget &window, std::function<void()> place)
    : QObject(&window)
    , m_window(window)
    , m_place(std::move(place))
{
    window.installEventFilter(this);
    // Removed again by the base class's destructor.
    QCoreApplication::instance()->installNativeEventFilter(this);
}

bool FramedPlacement::eventFilter(QObject *watched, QEvent *event)
{
    // The window manager reparents a window into its frame before it maps or activates it; any of
    // these events may be the first to come after that.
    const QEvent::Type type = event->type();
    const bool seen =
        type == QEvent::Move || type == QEvent::Paint || type == QEvent::WindowActivate;
    if (watched == &m_window && seen)
        placeIfFramed();
    return QObject::eventFilter(watched, event);
}

bool FramedPlacement::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    // A busy window manager may publish the frame only after the window has been mapped, painted
    // and activated, when none of the events above comes any more. Placed outside the native
    // event's handling, where Qt's window state is whole.
    if (m_pending && isFrameExtentsChange(m_window, eventType, message))
        QMetaObject::invokeMethod(this, &FramedPlacement::placeIfFramed, Qt::QueuedConnection);
    return false;
}

void FramedPlacement::placeIfFramed()
{
    if (m_pending && !windowFrameMargins(m_window).isNull()) {
        m_pending = false;
        m_place();
    }
}
