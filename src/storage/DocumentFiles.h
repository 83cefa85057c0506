// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileStamp.h"
#include "storage/DocumentCodec.h"
#include "storage/openAndSave.h"
#include "text/PieceTree.h"

#include <optional>

// The halves of Open and Save that run on a worker thread: reading and decoding a file, and
// encoding and writing one.

// What reading a chosen file came to.
struct OpenOutcome {
    // The name was confirmed through the create prompt: there is no file yet.
    bool missing = false;
    openAndSave::ReadResult read;
    // document.text is empty: the text went into the tree, ready for the text box.
    DecodedDocument document;
    PieceTree text;
};

OpenOutcome readDocument(const QString &path);

// What writing the text came to.
struct SaveOutcome {
    // Characters the document's encoding cannot hold; nothing was written.
    QString unrepresentable;
    // Where the first of them is: its line, and its character in that line, counted from 1.
    qsizetype unrepresentableLine = 0;
    qsizetype unrepresentableColumn = 0;
    // Some of them are halves of surrogate pairs without the other half: only UTF-16 holds them.
    bool loneSurrogate = false;
    // The file is not as Tavlo last read or wrote it, or something took a name that was free;
    // nothing was written.
    bool changedOnDisk = false;
    openAndSave::WriteResult write;
    // The file as written, when the write succeeded.
    std::optional<platform::FileStamp> stamp;
};

// Writes only over what the note expects to find: the file with the stamp expected, or no file
// at all when there is no stamp, unless the user agreed to replace whatever is there. A file
// that is gone is written anew, as long as its name stays free.
SaveOutcome writeDocument(const QString &path, const PieceTree &text, const TextFormat &format,
                          const platform::ExpectedFile &expected);
