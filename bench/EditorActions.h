// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BenchSupport.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRectF>
#include <QTextCursor>
#include <QVariant>

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

// The caret's rectangle as an input method reads it: the same query for any box, with no need
// to know how the box scrolls.
inline QRectF caretRect(QWidget &box)
{
    return box.inputMethodQuery(Qt::ImCursorRectangle).toRectF();
}

// After a press that took the caret down a row, whether the view scrolled: the caret is then no
// lower on the screen than it was.
inline bool viewScrolled(const QRectF &before, const QRectF &after)
{
    return after.top() < before.top() + before.height() / 2;
}

// A key press, untimed, followed by a paint, so that what the box reports afterwards is what the
// screen shows.
inline void pressAndPaint(QWidget &box, QWidget &viewport, Qt::Key key,
                          Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    sendKey(box, key, modifiers);
    paintNow(viewport);
}

// Puts the caret on the lowest row wholly in view near the start of the text, so that the next
// row down is one the view has to scroll to: presses of Down from the start until the view
// scrolls. False when the text ends first.
template <class Box> bool caretToBottomRow(Box &box)
{
    using Access = EditorAccess<Box>;
    constexpr int mostPresses = 1000;
    QWidget &viewport = *box.viewport();
    pressAndPaint(box, viewport, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < mostPresses; ++i) {
        const QRectF before = caretRect(box);
        const qsizetype position = Access::position(box);
        pressAndPaint(box, viewport, Qt::Key_Down);
        if (Access::position(box) == position)
            return false;
        if (viewScrolled(before, caretRect(box)))
            return true;
    }
    return false;
}

// Presses key with the caret on the lowest row in view, each timed from its delivery until the
// box is painted, until that many presses have scrolled the view; each must move the caret
// forward. A press that does not scroll is not reported, as it was not made on the lowest row:
// that happens in a box that scrolls by more than a row at times (a QPlainTextEdit scrolls by
// whole wrapped lines, and its first scroll drops the margin above the text). More of those than
// presses is a failure.
template <class Box>
bool timeBottomRowPresses(Box &box, const char *figure, Qt::Key key, const QString &text,
                          int presses)
{
    using Access = EditorAccess<Box>;
    QWidget &viewport = *box.viewport();
    int scrolled = 0;
    for (int missed = 0; scrolled < presses && missed <= presses;) {
        const QRectF before = caretRect(box);
        const qsizetype position = Access::position(box);
        const double start = nowMs();
        sendKey(box, key, Qt::NoModifier, text);
        paintNow(viewport);
        const double elapsed = nowMs() - start;
        if (Access::position(box) <= position)
            return false;
        if (viewScrolled(before, caretRect(box))) {
            report(figure, elapsed);
            ++scrolled;
        } else {
            ++missed;
        }
    }
    return scrolled == presses;
}

// Down presses on the lowest row in view near the start of the text, each scrolling the view.
template <class Box> bool timeDownOnBottomRow(Box &box, int presses)
{
    return caretToBottomRow(box) &&
           timeBottomRowPresses(box, "down_bottom_ms", Qt::Key_Down, QString(), presses);
}

// Enter presses on the lowest row in view near the start of the text: each inserts a line end,
// and the caret's new row is below the view.
template <class Box> bool timeEnterOnBottomRow(Box &box, int presses)
{
    return caretToBottomRow(box) && timeBottomRowPresses(box, "enter_bottom_ms", Qt::Key_Return,
                                                         QStringLiteral("\r"), presses);
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

// Key presses at the text's start, Ctrl+End, key presses at the end, clicks deep in the text,
// then Down and Enter on the lowest row in view near the start, in that order, each phase within
// the cap (Ctrl+End within twice the cap). The event loop is left to become idle before each
// phase, but not for longer than a quarter of the cap: what a box still does in the background
// then goes on during the next phase, as it would for a person typing on.
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
    {
        waitIdle(app, idleCapMs);
        const Watchdog watchdog("down_bottom", capMs);
        if (!timeDownOnBottomRow(box, presses))
            return QStringLiteral("Down on the lowest row in view did not scroll the view");
    }
    {
        waitIdle(app, idleCapMs);
        const Watchdog watchdog("enter_bottom", capMs);
        if (!timeEnterOnBottomRow(box, presses))
            return QStringLiteral("Enter on the lowest row in view did not scroll the view");
    }
    return QString();
}

} // namespace bench
