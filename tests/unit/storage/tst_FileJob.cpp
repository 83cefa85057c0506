// SPDX-License-Identifier: GPL-3.0-or-later
#include <QSemaphore>
#include <QTest>
#include <QThreadPool>

#include "storage/FileJob.h"

#include <memory>

namespace {

// Holds the worker back, once its work is done, until the result has been handed over: what a
// busy machine does when it puts the worker thread aside at that moment. The worker lets its work
// go last, after everything else it did for the job.
class LateWorker {
public:
    explicit LateWorker(std::shared_ptr<QSemaphore> handedOver)
        : m_handedOver(std::move(handedOver))
    {}
    ~LateWorker() { m_handedOver->tryAcquire(1, 10000); }

private:
    std::shared_ptr<QSemaphore> m_handedOver;
};

} // namespace

// A receiver that shows a message box runs a modal event loop inside the hand-over. Nothing of the
// job may come back through that loop: not the same result a second time, nor a result at all.
class tst_FileJob : public QObject {
    Q_OBJECT

private slots:
    void handsOverOnceWhileModalLoopRuns();
    void waitsForWorkBeforeGoing();
};

void tst_FileJob::handsOverOnceWhileModalLoopRuns()
{
    constexpr int rounds = 50;
    FileJob job;
    int handedOver = 0;
    int busyWhileHandedOver = 0;
    for (int round = 0; round < rounds; ++round) {
        const auto handedOverGate = std::make_shared<QSemaphore>();
        job.run<QByteArray>(
            [late = std::make_shared<LateWorker>(handedOverGate)] { return QByteArray(4096, 'x'); },
            [&, handedOverGate](QByteArray result) {
                handedOverGate->release();
                ++handedOver;
                busyWhileHandedOver += job.isRunning() ? 1 : 0;
                QCOMPARE(result.size(), 4096);
                // As a modal box would: the worker is long gone by the time the
                // user answers, and every event meanwhile is delivered.
                QThreadPool::globalInstance()->waitForDone();
                for (int turn = 0; turn < 3; ++turn)
                    QCoreApplication::processEvents();
            });
        QVERIFY(QTest::qWaitFor([&] { return !job.isRunning(); }, 10000));
        QCOMPARE(handedOver, round + 1);
    }
    QCoreApplication::processEvents();
    QCOMPARE(handedOver, rounds);
    QCOMPARE(busyWhileHandedOver, 0);
}

void tst_FileJob::waitsForWorkBeforeGoing()
{
    std::atomic<bool> workDone = false;
    bool handedOver = false;
    {
        FileJob job;
        job.run<int>(
            [&] {
                QThread::msleep(50);
                workDone = true;
                return 1;
            },
            [&](int) { handedOver = true; });
    }
    // The work ran to its end, and its result went nowhere once the job was gone.
    QVERIFY(workDone);
    QCoreApplication::processEvents();
    QVERIFY(!handedOver);
}

QTEST_GUILESS_MAIN(tst_FileJob)
#include "tst_FileJob.moc"
