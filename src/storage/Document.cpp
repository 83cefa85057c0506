// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/Document.h"

#include "platform/MessageBoxes.h"
#include "storage/DocumentFiles.h"
#include "storage/DocumentLoader.h"
#include "storage/DocumentMessages.h"
#include "storage/EditorText.h"
#include "storage/FileJob.h"
#include "storage/LongLines.h"
#include "storage/OpenProgress.h"

#include <QPlainTextEdit>

Document::Document(QPlainTextEdit &editor, MessageBoxes &messageBoxes, AskSaveName askSaveName)
    : QObject(&editor)
    , m_editor(editor)
    , m_messageBoxes(messageBoxes)
    , m_askSaveName(std::move(askSaveName))
    , m_fileJob(new FileJob(this))
    , m_loader(new DocumentLoader(editor))
    , m_progress(new OpenProgress(editor))
{
    connect(m_fileJob, &FileJob::runningChanged, this, &Document::busyChanged);
    connect(m_loader, &DocumentLoader::progressed, m_progress, &OpenProgress::showInserted);
}

Document::~Document() = default;

bool Document::isBusy() const
{
    return m_fileJob->isRunning() || m_loader->isRunning();
}

QWidget *Document::dialogParent() const
{
    return m_editor.window();
}

void Document::stopForExit()
{
    m_fileJob->waitForFinished();
    m_loader->cancel();
}

void Document::clear()
{
    if (isBusy())
        return;
    setEditorText(m_editor, QString());
    setFile(QString(), TextFormat(), std::nullopt);
    m_openedWithLosses = DecodedDocument();
}

void Document::setFile(const QString &path, const TextFormat &format,
                       const std::optional<platform::FileStamp> &stamp)
{
    m_format = format;
    m_stamp = stamp;
    m_path = path;
    emit pathChanged(path);
}

void Document::open(const QString &path)
{
    if (isBusy())
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
    emit busyChanged();
}

void Document::openFinished(const QString &path, const OpenOutcome &outcome)
{
    if (outcome.missing || !outcome.read.ok)
        endOpen();
    if (outcome.missing) {
        // A new file under that name: the next Save creates it with the editor's text.
        setFile(path, TextFormat(), std::nullopt);
        m_openedWithLosses = DecodedDocument();
        return;
    }
    if (!outcome.read.ok) {
        // The editor and the document path stay as they were, so that a later Save cannot
        // write this text over the file that could not be opened.
        m_messageBoxes.warn(dialogParent(), tr("Open"),
                            DocumentMessages::openFailed(path, outcome.read.error));
        return;
    }
    if (outcome.longestLine > SlowLineLength &&
        !m_messageBoxes.confirm(dialogParent(), tr("Open"),
                                DocumentMessages::slowLongLine(path, outcome.longestLine),
                                tr("Open Anyway"))) {
        endOpen();
        return;
    }
    // The rest of the open waits until the whole text is in the editor.
    const platform::FileStamp stamp = outcome.read.stamp;
    connect(
        m_loader, &DocumentLoader::finished, this,
        [this, path, document = outcome.document, stamp] {
            setFile(path, document.format, stamp);
            showDocument(path, document);
        },
        Qt::SingleShotConnection);
    m_loader->start(outcome.slices);
    emit busyChanged();
}

void Document::showDocument(const QString &path, const DecodedDocument &document)
{
    endOpen();
    m_openedWithLosses = document;
    m_editor.setFocus();
    warnAboutOpened(path, document);
}

void Document::warnAboutOpened(const QString &path, const DecodedDocument &document)
{
    if (document.mixedLineEnds)
        m_messageBoxes.warn(dialogParent(), tr("Open"), DocumentMessages::mixedLineEnds(path));
    if (!document.charactersEditorCannotHold.isEmpty()) {
        m_messageBoxes.warn(
            dialogParent(), tr("Open"),
            DocumentMessages::editorCannotHold(path, document.charactersEditorCannotHold));
    }
    if (document.incompleteLastCharacter) {
        m_messageBoxes.warn(dialogParent(), tr("Open"),
                            DocumentMessages::incompleteLastCharacter(path));
    }
}

void Document::save(const QString &path)
{
    if (isBusy() || !agreesToChangeBytes(path))
        return;
    startSave(path, m_format);
}

// Told at Open, and asked again before the save that would make it so: saving an unedited text
// otherwise gives back the very bytes it came from.
bool Document::agreesToChangeBytes(const QString &path)
{
    if (m_openedWithLosses.savesBackUnchanged())
        return true;
    return m_messageBoxes.confirm(dialogParent(), tr("Save"),
                                  DocumentMessages::saveChangesBytes(path, m_openedWithLosses),
                                  tr("Save Anyway"));
}

void Document::startSave(const QString &path, const TextFormat &format)
{
    // Another program's changes are looked for only in the file the text came from; a file
    // chosen in the Save As dialog was already confirmed there.
    const std::optional<platform::FileStamp> expected =
        path == m_path ? m_stamp : std::optional<platform::FileStamp>();
    // The encoder turns the editor's paragraph separators into line ends on the worker thread.
    const QString text = editorRawText(m_editor);
    m_fileJob->run<SaveOutcome>(
        [path, text, format, expected] { return writeDocument(path, text, format, expected); },
        [this, path, format](SaveOutcome outcome) { saveFinished(path, format, outcome); });
}

void Document::saveFinished(const QString &path, const TextFormat &format,
                            const SaveOutcome &outcome)
{
    if (outcome.changedOnDisk) {
        if (m_messageBoxes.confirm(dialogParent(), tr("Save"),
                                   DocumentMessages::changedOnDisk(path), tr("Overwrite"))) {
            m_stamp.reset();
            startSave(path, format);
        } else {
            saveElsewhere(format);
        }
        return;
    }
    if (!outcome.unrepresentable.isEmpty()) {
        // Never replace a character silently: the user decides whether the file changes its
        // encoding, and otherwise nothing is written.
        const QString question = DocumentMessages::encodingCannotHold(encodingName(format.encoding),
                                                                      outcome.unrepresentable);
        if (m_messageBoxes.confirm(dialogParent(), tr("Save"), question, tr("Save as UTF-8"))) {
            TextFormat utf8 = format;
            utf8.encoding = TextEncoding::Utf8;
            startSave(path, utf8);
        }
        return;
    }
    if (!outcome.write.ok) {
        m_messageBoxes.warn(dialogParent(), tr("Save"),
                            DocumentMessages::saveFailed(path, outcome.write.error));
        saveElsewhere(format);
        return;
    }
    m_openedWithLosses = DecodedDocument();
    setFile(path, format, outcome.stamp);
}

void Document::saveElsewhere(const TextFormat &format)
{
    if (const std::optional<QString> otherPath = m_askSaveName())
        startSave(*otherPath, format);
}
