// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/TextFormat.h"

#include <optional>

struct LineEndSummary {
    std::optional<LineEnd> first; // none when the text has no line end
    bool mixed = false;           // more than one style was found
    bool endsWithLineEnd = false;
};

// Turns every CR LF, LF and CR into '\n' in place, in one pass, and says what it found.
LineEndSummary normalizeLineEnds(QString &text);
