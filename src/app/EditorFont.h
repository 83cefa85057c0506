// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

// The editor's font: "MS Sans Serif" 8.25 pt bold where that font is installed, otherwise the
// desktop's sans-serif at the same size and weight.
QFont editorFont();
