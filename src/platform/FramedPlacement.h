// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <functional>

class QWidget;

// Places a top-level window once more when the window manager has framed it. Before the window
// is mapped its frame is unknown, so a placement that depends on the outer size is only right
// after this second pass.
class FramedPlacement : public QObject, public QAbstractNativeEventFilter {
public:
    FramedPlacement(QWidget &window, std::function<void()> place);

    // The next time the window is seen framed, it is placed again.
    void arm() { m_pending = true; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void placeIfFramed();

    QWidget &m_window;
    std::function<void()> m_place;
    bool m_pending = false;
};
