// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>

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

inline void report(const char *key, double value)
{
    std::printf("%s=%.3f\n", key, value);
    std::fflush(stdout);
}

// An application that notes when its window thread last handled an event, so that a measurement
// can wait until the event loop has nothing left to do. The benchmark's own timers are left out.
// The caret does not blink: its timer would keep the loop busy forever.
class Application : public QApplication {
public:
    Application(int &argc, char **argv)
        : QApplication(argc, argv)
    {
        setCursorFlashTime(0);
    }

    bool notify(QObject *receiver, QEvent *event) override
    {
        const bool handled = QApplication::notify(receiver, event);
        if (QThread::currentThread() == thread() && !m_probes.contains(receiver))
            m_lastWorkMs = nowMs();
        return handled;
    }
    double lastWorkMs() const { return m_lastWorkMs; }
    void addProbe(const QObject *probe) { m_probes.insert(probe); }
    void removeProbe(const QObject *probe) { m_probes.remove(probe); }

private:
    QSet<const QObject *> m_probes;
    std::atomic<double> m_lastWorkMs{0};
};

// Runs the event loop until it has handled nothing but the benchmark's own events for 100 ms;
// returns when the last other event was handled, or nothing when the loop was still busy at the
// cap.
inline std::optional<double> waitIdle(Application &app, double capMs = 60000)
{
    constexpr double quietMs = 100;
    QEventLoop loop;
    QTimer check;
    app.addProbe(&loop);
    app.addProbe(&check);
    const double deadline = nowMs() + capMs;
    bool idle = false;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        const double now = nowMs();
        idle = now - app.lastWorkMs() >= quietMs;
        if (idle || now > deadline)
            loop.quit();
    });
    check.start(5);
    loop.exec();
    app.removeProbe(&check);
    app.removeProbe(&loop);
    if (!idle)
        return std::nullopt;
    return app.lastWorkMs();
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

// Ends the program when a phase outlasts the cap: a single call into a widget cannot be
// interrupted from the thread that makes it. Prints "timeout=PHASE" and exits with code 3.
class Watchdog {
public:
    Watchdog(const char *phase, double capMs)
        : m_thread([this, phase, capMs] {
            std::unique_lock<std::mutex> lock(m_mutex);
            const auto cap = std::chrono::duration<double, std::milli>(capMs);
            if (!m_done.wait_for(lock, cap, [this] { return m_finished; })) {
                const std::string line = std::string("timeout=") + phase + '\n';
                (void)::write(STDOUT_FILENO, line.data(), line.size());
                _exit(3);
            }
        })
    {}
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

} // namespace bench
