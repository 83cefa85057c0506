// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileDialogs.h"

// The desktop's own file dialogs where the platform theme offers them, Qt's dialog otherwise.
class DesktopFileDialogs : public FileDialogs {
public:
    std::optional<QString> showOpen(QWidget *parent, const FileDialogOptions &options) override;
    std::optional<QString> showSave(QWidget *parent, const FileDialogOptions &options) override;
};

// "All Files (*.*)|*.*|Text Files (*.txt)|*.txt" as Qt's name filters. On this system "*.*"
// would hide every name without a dot, so "All Files" matches every name instead.
QStringList qtNameFilters(const QString &filter);
