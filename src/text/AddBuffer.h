// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/PieceTree.h"

#include <atomic>
#include <memory>

// Where typed and other small inserted text goes: a fixed block of units that is only ever
// appended to, never moved or reallocated. A tree refers only to units written before it was
// made, and writers claim fresh units atomically, so old trees and other threads may read their
// units while new text is written beyond them.
struct PieceTree::AddChunk {
    static constexpr qsizetype Capacity = 64 * 1024;

    // Claims count units right at offset, which succeeds only when offset is where writing ends
    // now: the piece that ends there may then grow instead of a new piece being made.
    bool claimAt(qsizetype offset, qsizetype count);
    // Claims count units where writing ends; -1 when they do not fit.
    qsizetype claim(qsizetype count);
    // Writes text at offset, into units claimed before.
    void write(qsizetype offset, QStringView text);

    const char16_t *units() const { return m_units.get(); }

private:
    std::unique_ptr<char16_t[]> m_units = std::make_unique<char16_t[]>(Capacity);
    std::atomic<qsizetype> m_used{0};
};
