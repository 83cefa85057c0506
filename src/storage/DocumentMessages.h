// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the document commands tell the user. Each message names the file and the reason.
namespace DocumentMessages {
QString openFailed(const QString &path, const QString &reason);
QString saveFailed(const QString &path, const QString &reason);
QString incompleteLastCharacter(const QString &path);
// Before the save that would leave out that half character.
QString saveDropsHalfCharacter(const QString &path);
QString changedOnDisk(const QString &path);
// A name that had no file when the text took it (a new name, a file that vanished, Save As onto
// a free name) has one now.
QString appearedOnDisk(const QString &path);
// The save went through; notice tells what is left to know.
QString savedWithNotice(const QString &path, const QString &notice);
// Before a save that would have to leave characters out, offering UTF-8 instead. line and column
// (from 1) say where the first of them is.
QString encodingCannotHold(const QString &encodingName, const QString &characters, qsizetype line,
                           qsizetype column);
// The same when some of them are halves of surrogate pairs, which only UTF-16 keeps.
QString encodingCannotHoldHalfCharacters(const QString &encodingName, const QString &characters,
                                         qsizetype line, qsizetype column);
// "U+2029 (paragraph separator)"-style list of characters, for messages.
QString describeCharacters(const QString &characters);
} // namespace DocumentMessages
