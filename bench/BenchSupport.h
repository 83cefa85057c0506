// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <cstdio>

namespace bench {

inline double nowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// A field of /proc/self/status in kB, e.g. "VmHWM" (peak resident set) or "VmRSS"; -1 if absent.
inline long statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Runs the event loop until the window system has exposed the widget's window, so that a paint
// really reaches the screen.
inline bool waitExposed(QWidget &widget, int timeoutMs = 10000)
{
    QWindow *const window = widget.windowHandle();
    if (!window)
        return false;
    QEventLoop loop;
    struct ExposeWatch : QObject {
        QEventLoop *loop = nullptr;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Expose)
                QMetaObject::invokeMethod(loop, &QEventLoop::quit, Qt::QueuedConnection);
            return false;
        }
    } watch;
    watch.loop = &loop;
    window->installEventFilter(&watch);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    const double deadline = nowMs() + timeoutMs;
    while (!window->isExposed() && nowMs() < deadline)
        loop.exec();
    window->removeEventFilter(&watch);
    return window->isExposed();
}

// Handles what the last action left queued, paints the widget now and waits until the X server
// has taken the picture: the moment a person could see the result.
inline void paintNow(QWidget &widget)
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    widget.repaint();
    QGuiApplication::sync();
}

inline void report(const char *key, double value)
{
    std::printf("%s=%.3f\n", key, value);
    std::fflush(stdout);
}

} // namespace bench
