// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/DocumentFiles.h"

namespace {

// The characters (code points) in [from, to) of the text, a surrogate pair counting once.
qsizetype characterCount(const PieceTree &text, qsizetype from, qsizetype to)
{
    qsizetype count = to - from;
    QChar previous;
    text.forEachChunk(from, to - from, [&count, &previous](QStringView chunk) {
        for (const QChar unit : chunk) {
            count -= previous.isHighSurrogate() && unit.isLowSurrogate();
            previous = unit;
        }
        return true;
    });
    return count;
}

} // namespace

OpenOutcome readDocument(const QString &path)
{
    OpenOutcome outcome;
    outcome.read = openAndSave::readFile(path);
    // Only a name that is simply not there yet in an existing folder is a new file; any other
    // way of not finding it (a file in the path, a dangling link) is an error to report.
    outcome.missing = outcome.read.missing;
    if (outcome.read.ok) {
        outcome.document = decodeDocument(outcome.read.bytes);
        outcome.read.bytes.clear();
        // Taken, not copied: one copy of a large text at a time.
        outcome.text = PieceTree(std::move(outcome.document.text));
    }
    return outcome;
}

SaveOutcome writeDocument(const QString &path, const PieceTree &text, const TextFormat &format,
                          const platform::ExpectedFile &expected)
{
    SaveOutcome outcome;
    const EncodedDocument encoded = encodeDocument(text, format);
    outcome.unrepresentable = encoded.unrepresentable;
    if (!outcome.unrepresentable.isEmpty()) {
        const qsizetype line = text.lineAt(encoded.firstUnrepresentable);
        outcome.unrepresentableLine = line + 1;
        outcome.unrepresentableColumn =
            characterCount(text, text.lineStart(line), encoded.firstUnrepresentable) + 1;
        outcome.loneSurrogate = encoded.loneSurrogate;
        return outcome;
    }
    outcome.write = openAndSave::writeFile(path, encoded.bytes, expected);
    outcome.changedOnDisk = outcome.write.changedOnDisk;
    if (outcome.write.ok)
        outcome.stamp = outcome.write.stamp;
    return outcome;
}
