#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QtConcurrent>

#include <functional>

// Runs one file operation at a time on a worker thread, so that a slow or hung file system never
// freezes the window, and hands its result back on the window's thread.
class FileJob : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool isRunning() const { return m_running.isRunning(); }
    // Lets a running operation finish, e.g. before the program ends in the middle of a save.
    void waitForFinished() { m_running.waitForFinished(); }

    template <typename Result>
    void run(std::function<Result()> work, std::function<void(const Result &)> done)
    {
        auto *const watcher = new QFutureWatcher<Result>(this);
        connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, done] {
            watcher->deleteLater();
            emit runningChanged(false);
            done(watcher->result());
        });
        QFuture<Result> future = QtConcurrent::run(std::move(work));
        m_running = QFuture<void>(future);
        emit runningChanged(true);
        watcher->setFuture(future);
    }

signals:
    void runningChanged(bool running);

private:
    QFuture<void> m_running;
};
