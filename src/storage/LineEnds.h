// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/TextFormat.h"

#include <QStringView>

#include <optional>

// A unit that ends a line, alone (LF, CR) or with the other (CR LF).
inline bool isLineEndUnit(QChar unit)
{
    return unit == u'\r' || unit == u'\n';
}

// The kind of the text's first line end; none when it has no line end.
std::optional<LineEnd> firstLineEnd(QStringView text);
