// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

// Keeps the only worker thread of the global pool busy, so that a file job stays queued until
// release(). After many seconds the worker goes on by itself, so that a program that waits for
// the job fails its test instead of hanging it.
class PoolBlocker {
public:
    PoolBlocker();
    ~PoolBlocker();
    PoolBlocker(const PoolBlocker &) = delete;
    PoolBlocker &operator=(const PoolBlocker &) = delete;

    void release();
    // True when the worker went on by itself.
    bool wentOnByItself() const;

private:
    struct Gate;
    std::shared_ptr<Gate> m_gate;
    int m_oldMax;
    bool m_released = false;
};
