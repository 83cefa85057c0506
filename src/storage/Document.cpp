// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/Document.h"

#include "platform/MessageBoxes.h"
#include "storage/DocumentFiles.h"
#include "storage/DocumentMessages.h"
#include "storage/FileJob.h"
#include "storage/OpenProgress.h"
#include "text/TextEditor.h"

#include <QAbstractScrollArea>

Document::Document(TextEditor &editor, QAbstractScrollArea &box, MessageBoxes &messageBoxes,
                   AskSaveName askSaveName)
    : QObject(&box)
    , m_editor(editor)
    , m_box(box)
    , m_messageBoxes(messageBoxes)
    , m_askSaveName(std::move(askSaveName))
    , m_fileJob(new FileJob(this))
    , m_progress(new OpenProgress(box))
{
    connect(m_fileJob, &FileJob::runningChanged, this, &Document::busyChanged);
    m_editor.setLineEnd(lineEndCharacters(m_format.lineEnd).toString());
}

Document::~Document() = default;

bool Document::isBusy() const
{
    return m_fileJob->isRunning();
}

QWidget *Document::dialogParent() const
{
    return m_box.window();
}

// Waiting here would freeze the window on a slow or hung file system, and the window is to go
// at once; the save's result comes back on its own, and only then is nothing left to wait for.
void Document::stopForExit()
{
    if (m_stopped)
        return;
    m_stopped = true;
    if (!m_saving)
        emit stoppedForExit();
}

void Document::clear()
{
    if (m_stopped || isBusy())
        return;
    m_editor.setText(PieceTree());
    setFile(QString(), TextFormat(), std::nullopt);
    m_endsInHalfCharacter = false;
}

// Enter and pasted text follow the line ends of the file the text belongs to.
void Document::setFile(const QString &path, const TextFormat &format,
                       const std::optional<platform::FileStamp> &stamp)
{
    m_format = format;
    m_stamp = stamp;
    m_path = path;
    m_editor.setLineEnd(lineEndCharacters(format.lineEnd).toString());
    emit pathChanged(path);
}

void Document::open(const QString &path)
{
    if (m_stopped || isBusy())
        return;
    // No typing into a text that is about to be replaced.
    m_editor.setReadOnly(true);
    m_progress->showReading();
    m_fileJob->run<OpenOutcome>([path] { return readDocument(path); },
                                [this, path](OpenOutcome outcome) { openFinished(path, outcome); });
}

void Document::endOpen()
{
    m_progress->hide();
    m_editor.setReadOnly(false);
}

void Document::openFinished(const QString &path, const OpenOutcome &outcome)
{
    if (m_stopped)
        return;
    endOpen();
    if (outcome.missing) {
        // A new file under that name: the next Save creates it with the box's text.
        setFile(path, TextFormat(), std::nullopt);
        m_endsInHalfCharacter = false;
        return;
    }
    if (!outcome.read.ok) {
        // The text and the document path stay as they were, so that a later Save cannot write
        // this text over the file that could not be opened.
        m_messageBoxes.warn(dialogParent(), tr("Open"),
                            DocumentMessages::openFailed(path, outcome.read.error));
        return;
    }
    m_editor.setText(outcome.text);
    setFile(path, outcome.document.format, outcome.read.stamp);
    m_endsInHalfCharacter = outcome.document.incompleteLastCharacter;
    m_box.setFocus();
    if (m_endsInHalfCharacter) {
        m_messageBoxes.warn(dialogParent(), tr("Open"),
                            DocumentMessages::incompleteLastCharacter(path));
    }
}

void Document::save(const QString &path)
{
    if (m_stopped || isBusy() || !agreesToChangeBytes(path))
        return;
    startSave(path, m_format, expectedAt(path));
}

// Told at Open, and asked again before the save that would make it so: saving an unedited text
// otherwise gives back the very bytes it came from.
bool Document::agreesToChangeBytes(const QString &path)
{
    return !m_endsInHalfCharacter ||
           m_messageBoxes.confirm(dialogParent(), tr("Save"),
                                  DocumentMessages::saveDropsHalfCharacter(path),
                                  tr("Save Anyway"));
}

// Another program's changes are looked for only in the file the text came from, and a name that
// had no file must still be free; a file chosen in the Save As dialog was already confirmed there.
// Wherever the text goes, a file made for it is no more open than the one it came from.
platform::ExpectedFile Document::expectedAt(const QString &path) const
{
    platform::ExpectedFile expected;
    if (m_stamp)
        expected.permissions = m_stamp->permissions;
    if (path == m_path)
        expected.stamp = m_stamp;
    else
        expected.replaceAny = true;
    return expected;
}

void Document::startSave(const QString &path, const TextFormat &format,
                         const platform::ExpectedFile &expected)
{
    // The program may have been told to end while a question before this save was open.
    if (m_stopped)
        return;
    // A snapshot of the text as it is now: the worker encodes it while typing goes on.
    const PieceTree text = m_editor.text();
    m_saving = true;
    m_fileJob->run<SaveOutcome>(
        [path, text, format, expected] { return writeDocument(path, text, format, expected); },
        [this, path, format, expected](SaveOutcome outcome) {
            saveFinished(path, format, expected, outcome);
        });
}

void Document::saveFinished(const QString &path, const TextFormat &format,
                            const platform::ExpectedFile &expected, const SaveOutcome &outcome)
{
    m_saving = false;
    // After Exit no question or message comes up, and nothing is saved again.
    if (m_stopped) {
        emit stoppedForExit();
        return;
    }
    if (outcome.changedOnDisk) {
        const QString question = expected.stamp ? DocumentMessages::changedOnDisk(path)
                                                : DocumentMessages::appearedOnDisk(path);
        if (m_messageBoxes.confirm(dialogParent(), tr("Save"), question, tr("Overwrite"))) {
            platform::ExpectedFile agreed = expected;
            agreed.replaceAny = true;
            startSave(path, format, agreed);
        } else {
            saveElsewhere(format);
        }
        return;
    }
    if (!outcome.unrepresentable.isEmpty()) {
        offerEncodingThatHoldsAll(path, format, expected, outcome);
        return;
    }
    if (!outcome.write.ok) {
        m_messageBoxes.warn(dialogParent(), tr("Save"),
                            DocumentMessages::saveFailed(path, outcome.write.error));
        saveElsewhere(format);
        return;
    }
    m_endsInHalfCharacter = false;
    setFile(path, format, outcome.stamp);
    // Saved all the same: the note belongs to the file now, and nothing is to be saved again.
    if (!outcome.write.notice.isEmpty()) {
        m_messageBoxes.warn(dialogParent(), tr("Save"),
                            DocumentMessages::savedWithNotice(path, outcome.write.notice));
    }
}

// Never replace a character silently: the user decides whether the file changes its encoding,
// and otherwise nothing is written. The encoding offered holds the whole text, so a yes saves:
// UTF-8 holds every character, and UTF-16 also half of a surrogate pair.
void Document::offerEncodingThatHoldsAll(const QString &path, const TextFormat &format,
                                         const platform::ExpectedFile &expected,
                                         const SaveOutcome &outcome)
{
    TextFormat holdsAll = format;
    holdsAll.encoding = outcome.loneSurrogate ? TextEncoding::Utf16LE : TextEncoding::Utf8;
    const QString name = encodingName(format.encoding);
    const QString question =
        outcome.loneSurrogate
            ? DocumentMessages::encodingCannotHoldHalfCharacters(name, outcome.unrepresentable,
                                                                 outcome.unrepresentableLine,
                                                                 outcome.unrepresentableColumn)
            : DocumentMessages::encodingCannotHold(name, outcome.unrepresentable,
                                                   outcome.unrepresentableLine,
                                                   outcome.unrepresentableColumn);
    const QString accept = outcome.loneSurrogate ? tr("Save as UTF-16") : tr("Save as UTF-8");
    if (m_messageBoxes.confirm(dialogParent(), tr("Save"), question, accept))
        startSave(path, holdsAll, expected);
}

void Document::saveElsewhere(const TextFormat &format)
{
    if (m_stopped)
        return;
    if (const std::optional<QString> otherPath = m_askSaveName())
        startSave(*otherPath, format, expectedAt(*otherPath));
}
