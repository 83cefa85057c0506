// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BenchSupport.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextCursor>

// The same measured actions on any text box that is a scroll area: Tavlo's own and Qt's plain
// text editor. EditorAccess<Box> says how a box's text length and caret are read and set.
template <class Box> struct EditorAccess;

template <> struct EditorAccess<QPlainTextEdit> {
    static qsizetype length(const QPlainTextEdit &box)
    {
        return box.document()->characterCount() - 1;
    }
    static qsizetype position(const QPlainTextEdit &box) { return box.textCursor().position(); }
    static void setPosition(QPlainTextEdit &box, qsizetype position)
    {
        QTextCursor cursor = box.textCursor();
        cursor.setPosition(int(position));
        box.setTextCursor(cursor);
    }
};

namespace bench {

// A key press and release as the window system delivers them to the focused box.
inline void sendKey(QWidget &box, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                    const QString &text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(&box, &press);
    QCoreApplication::sendEvent(&box, &release);
}

inline void sendClick(QWidget &viewport, const QPoint &point)
{
    const QPointF local(point);
    const QPointF global(viewport.mapToGlobal(point));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(&viewport, &press);
    QCoreApplication::sendEvent(&viewport, &release);
}

// Types "x" presses times, each timed from its delivery until the box is painted.
template <class Box> bool timePresses(Box &box, const char *key, int presses)
{
    using Access = EditorAccess<Box>;
    const qsizetype lengthBefore = Access::length(box);
    for (int i = 0; i < presses; ++i) {
        const double start = nowMs();
        sendKey(box, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        paintNow(*box.viewport());
        report(key, nowMs() - start);
    }
    return Access::length(box) == lengthBefore + presses;
}

// Ctrl+End from the start of the text, timed to the paint that follows and to the moment the
// event loop has nothing left to do (a box may finish its layout afterwards; the wait for that
// is cut at idleCapMs, reported as "ctrl_end_idle_cut_s"). The first of the rounds is the one
// that meets the text's end for the first time.
template <class Box> bool timeCtrlEnd(Application &app, Box &box, int rounds, double idleCapMs)
{
    using Access = EditorAccess<Box>;
    for (int i = 0; i < rounds; ++i) {
        sendKey(box, Qt::Key_Home, Qt::ControlModifier);
        paintNow(*box.viewport());
        waitIdle(app, idleCapMs);
        const double start = nowMs();
        sendKey(box, Qt::Key_End, Qt::ControlModifier);
        paintNow(*box.viewport());
        const double painted = nowMs();
        report("ctrl_end_ms", painted - start);
        if (const std::optional<double> idle = waitIdle(app, idleCapMs))
            report("ctrl_end_idle_ms", std::max(painted, *idle) - start);
        else
            report("ctrl_end_idle_cut_s", idleCapMs / 1000);
        if (Access::position(box) != Access::length(box))
            return false;
    }
    return true;
}

// Clicks in the middle of the rows on screen, alternately at half and a quarter of the width,
// each timed from the press until the box is painted; the caret must land in the text's second
// half (the view shows its end).
template <class Box> bool timeClicks(Box &box, int clicks)
{
    using Access = EditorAccess<Box>;
    QWidget &viewport = *box.viewport();
    for (int i = 0; i < clicks; ++i) {
        const QPoint point(viewport.width() / (i % 2 ? 4 : 2), viewport.height() / 2);
        const double start = nowMs();
        sendClick(viewport, point);
        paintNow(viewport);
        report("click_ms", nowMs() - start);
        if (Access::position(box) < Access::length(box) / 2)
            return false;
    }
    return true;
}

// Changes the window's width, narrower and wider by turns, each timed until the box has taken
// its new size and the window is painted.
inline bool timeResizes(QWidget &window, QWidget &box, int resizes, double capMs)
{
    for (int i = 0; i < resizes; ++i) {
        const int boxWidth = box.width();
        const double start = nowMs();
        window.resize(window.width() + (i % 2 ? 40 : -40), window.height());
        const double deadline = start + capMs;
        while (box.width() == boxWidth && nowMs() < deadline)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (box.width() == boxWidth)
            return false;
        paintNow(window);
        report("resize_ms", nowMs() - start);
    }
    return true;
}

// Key presses at the text's start, Ctrl+End, key presses at the end and clicks deep in the text,
// in that order, each phase within the cap (Ctrl+End within twice the cap). The event loop is left
// to become idle before each phase, but not for longer than a quarter of the cap: what a box still
// does in the background then goes on during the next phase, as it would for a person typing on.
// Returns what went wrong, or nothing.
template <class Box>
QString typingSession(Application &app, Box &box, QWidget &window, int presses, double capMs)
{
    EditorAccess<Box>::setPosition(box, 0);
    box.setFocus();
    paintNow(window);
    const double idleCapMs = capMs / 4;
    waitIdle(app, idleCapMs);
    {
        const Watchdog watchdog("start", capMs);
        if (!timePresses(box, "key_start_ms", presses))
            return QStringLiteral("the key presses at the start did not reach the text");
    }
    {
        // Three rounds, each with two waits for the loop to become idle.
        const Watchdog watchdog("ctrl_end", 2 * capMs);
        if (!timeCtrlEnd(app, box, 3, idleCapMs))
            return QStringLiteral("Ctrl+End did not reach the end");
    }
    {
        waitIdle(app, idleCapMs);
        const Watchdog watchdog("end", capMs);
        if (!timePresses(box, "key_end_ms", presses))
            return QStringLiteral("the key presses at the end did not reach the text");
    }
    {
        waitIdle(app, idleCapMs);
        const Watchdog watchdog("click", capMs);
        if (!timeClicks(box, 5))
            return QStringLiteral("the clicks did not put the caret deep in the text");
    }
    return QString();
}

} // namespace bench
