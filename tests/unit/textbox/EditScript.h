// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeyCombination>
#include <QList>
#include <QString>

// A random but reproducible editing session, as a list of steps that can be replayed on any text
// widget: typing, keys, input method commits and clicks.
namespace editscript {

// What the texts typed and committed are made of.
enum class TextKind { Ascii, Accented, Emoji, MixedDirection };

struct Step {
    enum class Kind { Type, Key, Commit, Click };
    Kind kind = Kind::Key;
    QString text;        // Type, Commit
    QKeyCombination key; // Key
    // Click: at x in the viewport, on the row of the offset that lies this far into the text.
    int x = 0;
    double along = 0;
    bool shift = false;

    QString describe() const;
};

struct Script {
    QString initialText;
    QList<Step> steps;

    QString describe() const;
};

// Steps whose clicks land inside a viewport viewportWidth wide.
Script randomScript(TextKind kind, quint32 seed, int stepCount, int viewportWidth);

} // namespace editscript
