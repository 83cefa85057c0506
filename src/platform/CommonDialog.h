// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class FileDialogs;
class QWidget;

// The file dialog component of the main window. Like the dialog control it stands for, it keeps
// its settings and the last confirmed name between dialogs; the dialogs themselves come from the
// platform's FileDialogs.
class CommonDialog {
public:
    // Flags, as the dialog control numbers them.
    static constexpr int cdlOFNOverwritePrompt = 0x2;
    static constexpr int cdlOFNHideReadOnly = 0x4;
    static constexpr int cdlOFNCreatePrompt = 0x2000;

    explicit CommonDialog(FileDialogs &dialogs);

    // "Name (*.ext)|*.ext|..." pairs.
    QString Filter;
    // 1-based entry of Filter preselected in the dialog.
    int FilterIndex = 1;
    int Flags = 0;
    // The name the dialog starts with, and after a confirmed dialog the full path chosen.
    QString FileName;

    // Each returns true when the user confirmed a name, now in FileName; a cancel leaves
    // FileName as it was.
    bool ShowOpen(QWidget *parent);
    bool ShowSave(QWidget *parent);

private:
    FileDialogs &m_dialogs;
};
