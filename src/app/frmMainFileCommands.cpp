// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu's document commands: the window picks the file, the document does the rest.
#include "app/frmMain.h"

#include "app/MenuDesign.h"
#include "storage/Document.h"
#include "textbox/TextBox.h"

#include <QAction>
#include <QLineEdit>

namespace {

const QString DocumentFilter = QStringLiteral("All Files (*.*)|*.*|Text Files (*.txt)|*.txt");
constexpr int TextFilesIndex = 2;

} // namespace

void frmMain::openDoc()
{
    if (m_document->isBusy())
        return;
    m_comDlg.Filter = DocumentFilter;
    m_comDlg.FilterIndex = TextFilesIndex;
    m_comDlg.Flags = CommonDialog::cdlOFNCreatePrompt | CommonDialog::cdlOFNHideReadOnly;
    // A cancelled dialog changes nothing: no file is read again and the path stays.
    if (m_comDlg.ShowOpen(this))
        m_document->open(m_comDlg.FileName);
}

void frmMain::saveDoc()
{
    if (m_document->isBusy())
        return;
    QString path = m_txtFile->text();
    if (path.isEmpty()) {
        const std::optional<QString> name = askSaveName();
        if (!name)
            return;
        path = *name;
    }
    m_document->save(path);
}

std::optional<QString> frmMain::askSaveName()
{
    m_comDlg.Filter = DocumentFilter;
    m_comDlg.FilterIndex = TextFilesIndex;
    m_comDlg.Flags = CommonDialog::cdlOFNCreatePrompt | CommonDialog::cdlOFNHideReadOnly |
                     CommonDialog::cdlOFNOverwritePrompt;
    m_comDlg.FileName = QString();
    if (!m_comDlg.ShowSave(this))
        return std::nullopt;
    return m_comDlg.FileName;
}

void frmMain::clearDoc()
{
    m_document->clear();
    m_txt->setFocus();
}

void frmMain::updateFileCommands()
{
    // While a file is read or written, the commands that would start another file operation or
    // replace the text wait; Exit and typing still work (the box takes no typing only while a
    // file is read).
    using namespace MenuDesign;
    const bool busy = m_document->isBusy();
    for (const short index : {FileClear, FileOpen, FileSave})
        mnuFileItem(index)->setEnabled(!busy);
}
