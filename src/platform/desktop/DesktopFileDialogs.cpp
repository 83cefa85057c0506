// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/DesktopFileDialogs.h"

#include "platform/desktop/FileKindIconProvider.h"
#include "platform/posix/UndecodableNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("DesktopFileDialogs", text);
}

std::optional<QString> runDialog(QFileDialog &dialog, const FileDialogOptions &options)
{
    const QStringList filters = qtNameFilters(options.filter);
    dialog.setNameFilters(filters);
    if (options.filterIndex >= 1 && options.filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(options.filterIndex - 1));
    if (!options.fileName.isEmpty())
        dialog.selectFile(options.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

bool agreesToCreate(QWidget *parent, const QString &path)
{
    const QString text = tr("The file \"%1\" does not exist.\nDo you want to create it?")
                             .arg(QDir::toNativeSeparators(path));
    return QMessageBox::question(parent, tr("Open"), text) == QMessageBox::Yes;
}

// A name typed the way other tools show a file name that is not UTF-8 would lead to another,
// new file; the user is told so instead, and the dialog comes back.
bool isUsable(QWidget *parent, const QString &title, const QString &path)
{
    if (!platform::standsForUndecodableName(path))
        return true;
    const QString text = tr("Tavlo cannot use \"%1\".\n\n%2")
                             .arg(QDir::toNativeSeparators(path), platform::undecodableNameText());
    QMessageBox::warning(parent, title, text);
    return false;
}

} // namespace

QStringList qtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList names;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts.at(i);
        if (parts.at(i + 1) == QLatin1String("*.*"))
            name.replace(QLatin1String("(*.*)"), QLatin1String("(*)"));
        names << name;
    }
    return names;
}

std::optional<QString> DesktopFileDialogs::showOpen(QWidget *parent,
                                                    const FileDialogOptions &options)
{
    // Qt's dialog would read files to tell their type (see FileKindIconProvider). The provider is
    // declared first, as the dialog uses it until its very end.
    FileKindIconProvider icons;
    QFileDialog dialog(parent);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A name that does not exist may be confirmed, after the create prompt below.
    dialog.setFileMode(options.createPrompt ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    while (const std::optional<QString> path = runDialog(dialog, options)) {
        if (!isUsable(parent, tr("Open"), *path))
            continue;
        if (!options.createPrompt || QFileInfo::exists(*path) || agreesToCreate(parent, *path))
            return path;
    }
    return std::nullopt;
}

std::optional<QString> DesktopFileDialogs::showSave(QWidget *parent,
                                                    const FileDialogOptions &options)
{
    FileKindIconProvider icons;
    QFileDialog dialog(parent);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.overwritePrompt);
    while (const std::optional<QString> path = runDialog(dialog, options)) {
        if (isUsable(parent, tr("Save As"), *path))
            return path;
    }
    return std::nullopt;
}
