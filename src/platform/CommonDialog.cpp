// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CommonDialog.h"

#include "platform/FileDialogs.h"

namespace {

FileDialogOptions optionsOf(const CommonDialog &dialog)
{
    FileDialogOptions options;
    options.filter = dialog.Filter;
    options.filterIndex = dialog.FilterIndex;
    options.fileName = dialog.FileName;
    options.createPrompt = dialog.Flags & CommonDialog::cdlOFNCreatePrompt;
    options.overwritePrompt = dialog.Flags & CommonDialog::cdlOFNOverwritePrompt;
    return options;
}

} // namespace

CommonDialog::CommonDialog(FileDialogs &dialogs)
    : m_dialogs(dialogs)
{}

bool CommonDialog::ShowOpen(QWidget *parent)
{
    const std::optional<QString> path = m_dialogs.showOpen(parent, optionsOf(*this));
    if (path)
        FileName = *path;
    return path.has_value();
}

bool CommonDialog::ShowSave(QWidget *parent)
{
    const std::optional<QString> path = m_dialogs.showSave(parent, optionsOf(*this));
    if (path)
        FileName = *path;
    return path.has_value();
}
