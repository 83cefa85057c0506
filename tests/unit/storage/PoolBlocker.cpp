// SPDX-License-Identifier: GPL-3.0-or-later
#include "PoolBlocker.h"

#include <QSemaphore>
#include <QThreadPool>

#include <atomic>

namespace {
constexpr int patienceMs = 30000;
}

// Shared with the task: it may still be waiting when a failed test returns.
struct PoolBlocker::Gate {
    QSemaphore started;
    QSemaphore open;
    std::atomic<bool> wentOnByItself = false;
};

PoolBlocker::PoolBlocker()
    : m_gate(std::make_shared<Gate>())
    , m_oldMax(QThreadPool::globalInstance()->maxThreadCount())
{
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    QThreadPool::globalInstance()->start([gate = m_gate] {
        gate->started.release();
        if (!gate->open.tryAcquire(1, patienceMs))
            gate->wentOnByItself = true;
    });
    m_gate->started.acquire();
}

PoolBlocker::~PoolBlocker()
{
    release();
    QThreadPool::globalInstance()->setMaxThreadCount(m_oldMax);
}

void PoolBlocker::release()
{
    if (!m_released)
        m_gate->open.release();
    m_released = true;
}

bool PoolBlocker::wentOnByItself() const
{
    return m_gate->wentOnByItself;
}
