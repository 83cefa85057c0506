// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QFileIconProvider>
#include <QMimeDatabase>

// Icons and type names for the file dialogs, decided from what stat() tells and from the name
// alone. Qt's own provider reads a file's first bytes to guess its type, and the dialog asks it
// on the window thread for every name in the folder it lists: a file whose open or read never
// ends (/proc/kmsg for root, a file on a hung network disk) then freezes the whole program.
class FileKindIconProvider : public QFileIconProvider {
    Q_DECLARE_TR_FUNCTIONS(FileKindIconProvider)

public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo &info) const override;
    QString type(const QFileInfo &info) const override;

private:
    // The type the name's pattern gives, or an invalid type.
    QMimeType typeByName(const QFileInfo &info) const;

    QMimeDatabase m_types;
};
