// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakePlatform.h"

#include <QMenu>

void FakePopupMenus::popup(QMenu &menu, QAction *defaultItem)
{
    menu.setDefaultAction(defaultItem);
    calls.append({&menu, defaultItem});
    if (onPopup)
        onPopup(menu);
}

void FakeWindowHints::setTopmost(QWidget &, bool topmost)
{
    calls.append(topmost);
}

std::optional<QString> FakeFileDialogs::nextAnswer()
{
    if (answers.empty())
        return std::nullopt;
    // Taken apart rather than copied whole, which GCC's optimizer mistakes for a read of an
    // uninitialized string.
    const bool confirmed = answers.front().has_value();
    const QString path = answers.front().value_or(QString());
    answers.pop_front();
    if (!confirmed)
        return std::nullopt;
    return path;
}

std::optional<QString> FakeFileDialogs::showOpen(QWidget *, const FileDialogOptions &options)
{
    openRequests.append(options);
    return nextAnswer();
}

std::optional<QString> FakeFileDialogs::showSave(QWidget *, const FileDialogOptions &options)
{
    saveRequests.append(options);
    return nextAnswer();
}

void FakeMessageBoxes::warn(QWidget *, const QString &, const QString &text)
{
    warnings << text;
}

bool FakeMessageBoxes::confirm(QWidget *, const QString &, const QString &text, const QString &)
{
    questions << text;
    if (answers.empty())
        return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}
