// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/posix/PosixFileStamp.h"
#include "storage/DocumentCodec.h"
#include "storage/openAndSave.h"

#include <QStringList>

#include <optional>

// The halves of Open and Save that run on a worker thread: reading and decoding a file, and
// encoding and writing one.

// What reading a chosen file came to.
struct OpenOutcome {
    // The name was confirmed through the create prompt: there is no file yet.
    bool missing = false;
    openAndSave::ReadResult read;
    // The text is in slices, ready to go into the editor; document.text is empty.
    DecodedDocument document;
    QStringList slices;
    qsizetype longestLine = 0;
};

OpenOutcome readDocument(const QString &path);

// What writing the text came to.
struct SaveOutcome {
    // Characters the document's encoding cannot hold; nothing was written.
    QString unrepresentable;
    // The file is not as Tavlo last read or wrote it; nothing was written.
    bool changedOnDisk = false;
    openAndSave::WriteResult write;
    // The file as written, when the write succeeded.
    std::optional<platform::FileStamp> stamp;
};

// Writes only over a file that still has the stamp expected, when one is given; a file that is
// gone is simply written anew.
SaveOutcome writeDocument(const QString &path, const QString &text, const TextFormat &format,
                          const std::optional<platform::FileStamp> &expected);
