// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

class QWidget;

// What a file dialog is asked to show and to check before it returns a name.
struct FileDialogOptions {
    QString filter;            // "Name (*.ext)|*.ext|..." pairs, as the document commands give it
    int filterIndex = 1;       // 1-based entry of the filter preselected
    QString fileName;          // the name the dialog starts with
    bool createPrompt = false; // ask before returning the name of a file that does not exist
    bool overwritePrompt = false; // ask before returning the name of a file that exists
};

// The desktop's Open and Save As dialogs. Each returns the confirmed full path, or nothing when
// the user cancelled.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual std::optional<QString> showOpen(QWidget *parent, const FileDialogOptions &options) = 0;
    virtual std::optional<QString> showSave(QWidget *parent, const FileDialogOptions &options) = 0;
};
