// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

struct DecodedDocument;

// What the document commands tell the user. Each message names the file and the reason.
namespace DocumentMessages {
QString openFailed(const QString &path, const QString &reason);
QString saveFailed(const QString &path, const QString &reason);
QString mixedLineEnds(const QString &path);
QString slowLongLine(const QString &path, qsizetype length);
QString editorCannotHold(const QString &path, const QString &characters);
QString incompleteLastCharacter(const QString &path);
// Before a save that would change bytes of the file the text was opened from beyond the edits.
QString saveChangesBytes(const QString &path, const DecodedDocument &openedAs);
QString changedOnDisk(const QString &path);
QString encodingCannotHold(const QString &encodingName, const QString &characters);
// "U+2029 (paragraph separator)"-style list of characters, for messages.
QString describeCharacters(const QString &characters);
} // namespace DocumentMessages
