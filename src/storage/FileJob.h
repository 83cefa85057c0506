// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFuture>
#include <QObject>
#include <QPromise>
#include <QThreadPool>

#include <functional>
#include <memory>

// Runs one file operation at a time on a worker thread, so that a slow or hung file system never
// freezes the window, and hands its result back on the window's thread.
//
// The result travels in an event of its own, posted by the worker once the work is done, and is
// handed over exactly once. Nothing of the job is left pending when the receiver runs, so the
// receiver may open a modal dialog, whose event loop then has nothing of this job to re-enter.
class FileJob : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // A worker still running posts to this object: it must be done before the object goes.
    ~FileJob() override { waitForFinished(); }

    // From the start of an operation until its result has been handed back.
    bool isRunning() const { return m_busy; }
    // Lets a running operation finish.
    void waitForFinished() { m_worker.waitForFinished(); }

    template <typename Result>
    void run(std::function<Result()> work, std::function<void(Result)> done)
    {
        // Shared, as the pool takes only copyable work; the promise only marks the worker's end.
        const auto workerDone = std::make_shared<QPromise<void>>();
        m_worker = workerDone->future();
        workerDone->start();
        m_busy = true;
        emit runningChanged();
        QThreadPool::globalInstance()->start([this, workerDone, work, done] {
            auto result = std::make_shared<Result>(work());
            QMetaObject::invokeMethod(
                this, [this, result, done] { handOver(std::move(*result), done); },
                Qt::QueuedConnection);
            workerDone->finish();
        });
    }

signals:
    // An operation started, or its result was handed back; isRunning() says which.
    void runningChanged();

private:
    template <typename Result> void handOver(Result result, const std::function<void(Result)> &done)
    {
        m_busy = false;
        done(std::move(result));
        // After the result is handled, so that a command it starts (another job, or the text
        // going into the editor) counts as running when the receiver looks.
        emit runningChanged();
    }

    QFuture<void> m_worker;
    bool m_busy = false;
};
