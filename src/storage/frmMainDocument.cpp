// The File menu's Open and Save commands. Files are read and written on a worker thread; the
// document path in txtFile and the document's format change only once an operation succeeded.
#include "app/frmMain.h"

#include "app/MenuDesign.h"
#include "platform/MessageBoxes.h"
#include "storage/DocumentCodec.h"
#include "storage/DocumentLoader.h"
#include "storage/DocumentMessages.h"
#include "storage/EditorText.h"
#include "storage/FileJob.h"
#include "storage/LongLines.h"
#include "storage/OpenProgress.h"
#include "storage/TextSlices.h"
#include "storage/openAndSave.h"

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>

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

// What writing the text came to.
struct SaveOutcome {
    // Characters the document's encoding cannot hold; nothing was written.
    QString unrepresentable;
    openAndSave::WriteResult write;
};

namespace {

const QString DocumentFilter = QStringLiteral("All Files (*.*)|*.*|Text Files (*.txt)|*.txt");
constexpr int TextFilesIndex = 2;

OpenOutcome readDocument(const QString &path)
{
    OpenOutcome outcome;
    // Only a name that is simply not there yet in an existing folder is a new file; any other
    // way of not finding it (a file in the path, a dangling link) is an error to report.
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink() && QFileInfo(info.absolutePath()).isDir()) {
        outcome.missing = true;
        return outcome;
    }
    outcome.read = openAndSave::readFile(path);
    if (outcome.read.ok) {
        outcome.document = decodeDocument(outcome.read.bytes);
        outcome.read.bytes.clear();
        outcome.longestLine = longestLineLength(outcome.document.text);
        outcome.slices = cutIntoSlices(std::move(outcome.document.text));
    }
    return outcome;
}

SaveOutcome writeDocument(const QString &path, const QString &text, const TextFormat &format)
{
    SaveOutcome outcome;
    const EncodedDocument encoded = encodeDocument(text, format);
    outcome.unrepresentable = encoded.unrepresentable;
    if (outcome.unrepresentable.isEmpty())
        outcome.write = openAndSave::writeFile(path, encoded.bytes);
    return outcome;
}

} // namespace

void frmMain::openDoc()
{
    if (isFileBusy())
        return;
    m_comDlg.Filter = DocumentFilter;
    m_comDlg.FilterIndex = TextFilesIndex;
    m_comDlg.Flags = CommonDialog::cdlOFNCreatePrompt | CommonDialog::cdlOFNHideReadOnly;
    // A cancelled dialog changes nothing: no file is read again and the path stays.
    if (!m_comDlg.ShowOpen(this))
        return;
    const QString path = m_comDlg.FileName;
    // No typing into a text that is about to be replaced.
    m_txt->setReadOnly(true);
    m_openProgress->showReading();
    m_fileJob->run<OpenOutcome>(
        [path] { return readDocument(path); },
        [this, path](const OpenOutcome &outcome) { openFinished(path, outcome); });
}

void frmMain::endOpen()
{
    m_openProgress->hide();
    m_txt->setReadOnly(false);
    updateFileCommands();
}

void frmMain::openFinished(const QString &path, const OpenOutcome &outcome)
{
    if (outcome.missing || !outcome.read.ok)
        endOpen();
    if (outcome.missing) {
        // A new file under that name: the next Save creates it with the editor's text.
        m_txtFile->setText(path);
        m_documentFormat = TextFormat();
        return;
    }
    if (!outcome.read.ok) {
        // The editor and the document path stay as they were, so that a later Save cannot
        // write this text over the file that could not be opened.
        m_platform.messageBoxes.warn(this, tr("Open"),
                                     DocumentMessages::openFailed(path, outcome.read.error));
        return;
    }
    if (outcome.longestLine > SlowLineLength &&
        !m_platform.messageBoxes.confirm(this, tr("Open"),
                                         DocumentMessages::slowLongLine(path, outcome.longestLine),
                                         tr("Open Anyway"))) {
        endOpen();
        return;
    }
    // The rest of the open waits until the whole text is in the editor.
    connect(
        m_documentLoader, &DocumentLoader::finished, this,
        [this, path, document = outcome.document] { showDocument(path, document); },
        Qt::SingleShotConnection);
    m_documentLoader->start(outcome.slices);
    updateFileCommands();
}

void frmMain::showDocument(const QString &path, const DecodedDocument &document)
{
    endOpen();
    m_documentFormat = document.format;
    m_txtFile->setText(path);
    m_txt->setFocus();
    if (document.mixedLineEnds)
        m_platform.messageBoxes.warn(this, tr("Open"), DocumentMessages::mixedLineEnds(path));
    if (!document.charactersEditorCannotHold.isEmpty()) {
        m_platform.messageBoxes.warn(
            this, tr("Open"),
            DocumentMessages::editorCannotHold(path, document.charactersEditorCannotHold));
    }
}

void frmMain::saveDoc()
{
    if (isFileBusy())
        return;
    QString path = m_txtFile->text();
    if (path.isEmpty() && !askSaveName(path))
        return;
    startSave(path, m_documentFormat);
}

bool frmMain::askSaveName(QString &path)
{
    m_comDlg.Filter = DocumentFilter;
    m_comDlg.FilterIndex = TextFilesIndex;
    m_comDlg.Flags = CommonDialog::cdlOFNCreatePrompt | CommonDialog::cdlOFNHideReadOnly |
                     CommonDialog::cdlOFNOverwritePrompt;
    m_comDlg.FileName = QString();
    if (!m_comDlg.ShowSave(this))
        return false;
    path = m_comDlg.FileName;
    return true;
}

void frmMain::startSave(const QString &path, const TextFormat &format)
{
    // The encoder turns the editor's paragraph separators into line ends on the worker thread.
    const QString text = editorRawText(*m_txt);
    m_fileJob->run<SaveOutcome>(
        [path, text, format] { return writeDocument(path, text, format); },
        [this, path, format](const SaveOutcome &outcome) { saveFinished(path, format, outcome); });
}

void frmMain::saveFinished(const QString &path, const TextFormat &format,
                           const SaveOutcome &outcome)
{
    if (!outcome.unrepresentable.isEmpty()) {
        // Never replace a character silently: the user decides whether the file changes its
        // encoding, and otherwise nothing is written.
        const QString question = DocumentMessages::encodingCannotHold(encodingName(format.encoding),
                                                                      outcome.unrepresentable);
        if (m_platform.messageBoxes.confirm(this, tr("Save"), question, tr("Save as UTF-8"))) {
            TextFormat utf8 = format;
            utf8.encoding = TextEncoding::Utf8;
            startSave(path, utf8);
        }
        return;
    }
    if (!outcome.write.ok) {
        m_platform.messageBoxes.warn(this, tr("Save"),
                                     DocumentMessages::saveFailed(path, outcome.write.error));
        QString otherPath;
        if (askSaveName(otherPath))
            startSave(otherPath, format);
        return;
    }
    m_txtFile->setText(path);
    m_documentFormat = format;
}

void frmMain::newDocument()
{
    m_txtFile->setText(QString());
    setEditorText(*m_txt, QString());
    m_documentFormat = TextFormat();
}

bool frmMain::isFileBusy() const
{
    return m_fileJob->isRunning() || m_documentLoader->isRunning();
}

void frmMain::updateFileCommands()
{
    // While a file is read or written, or an opened text goes into the editor, the commands that
    // would start another file operation or replace the text wait; Exit still works.
    using namespace MenuDesign;
    const bool busy = isFileBusy();
    for (const short index : {FileClear, FileOpen, FileSave})
        mnuFileItem(index)->setEnabled(!busy);
}
