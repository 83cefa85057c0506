#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QThreadPool>

#include <functional>
#include <memory>

// Runs one file operation at a time on a worker thread, so that a slow or hung file system never
// freezes the window, and hands its result back on the window's thread.
class FileJob : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // From the start of an operation until its result has been handed back.
    bool isRunning() const { return m_busy; }
    // Lets a running operation finish, e.g. before the program ends in the middle of a save.
    void waitForFinished() { m_running.waitForFinished(); }

    template <typename Result>
    void run(std::function<Result()> work, std::function<void(const Result &)> done)
    {
        auto *const watcher = new QFutureWatcher<Result>(this);
        connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, done] {
            watcher->deleteLater();
            // Taken out of the future rather than copied, so that a large result is freed as soon
            // as its receiver lets it go.
            const Result result = watcher->future().takeResult();
            m_running = QFuture<void>();
            m_busy = false;
            done(result);
            // After the result is handled, so that a command it starts (another job, or the text
            // going into the editor) counts as running when the receiver looks.
            emit runningChanged();
        });
        // Shared, as the pool takes only copyable work.
        const auto promise = std::make_shared<QPromise<Result>>();
        QFuture<Result> future = promise->future();
        promise->start();
        QThreadPool::globalInstance()->start([promise, work = std::move(work)] {
            promise->addResult(work());
            promise->finish();
        });
        m_running = QFuture<void>(future);
        m_busy = true;
        emit runningChanged();
        watcher->setFuture(future);
    }

signals:
    // An operation started, or its result was handed back; isRunning() says which.
    void runningChanged();

private:
    QFuture<void> m_running;
    bool m_busy = false;
};
