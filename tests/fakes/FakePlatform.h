// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformServices.h"
#include "platform/PopupMenus.h"
#include "platform/Shell.h"
#include "platform/TrayIconControl.h"
#include "platform/WindowHints.h"

#include <QList>
#include <QPointer>
#include <QStringList>

#include <deque>
#include <functional>

class QMenu;
class QAction;

class FakeTrayIcon : public TrayIconControl {
    Q_OBJECT
public:
    void setToolTipText(const QString &text) override { m_toolTip = text; }
    QString toolTipText() const override { return m_toolTip; }
    bool isTrayAvailable() const override { return trayAvailable; }
    void remove() override { removed = true; }

    // What a click on the real icon would report.
    void clickLeft() { reportLeftClick(); }
    void clickRight() { reportRightClick(); }

    bool trayAvailable = true;
    bool removed = false;

private:
    QString m_toolTip;
};

class FakePopupMenus : public PopupMenus {
public:
    struct Call {
        QPointer<QMenu> menu;
        QPointer<QAction> defaultItem;
    };
    void popup(QMenu &menu, QAction *defaultItem) override;

    QList<Call> calls;
    // Runs while the "menu is open", e.g. to pick an item as a user would.
    std::function<void(QMenu &)> onPopup;
};

class FakeWindowHints : public WindowHints {
public:
    void setTopmost(QWidget &window, bool topmost) override;

    QList<bool> calls;
};

// Answers the dialogs from a script; an empty answer is a cancel.
class FakeFileDialogs : public FileDialogs {
public:
    std::optional<QString> showOpen(QWidget *parent, const FileDialogOptions &options) override;
    std::optional<QString> showSave(QWidget *parent, const FileDialogOptions &options) override;

    std::deque<std::optional<QString>> answers;
    QList<FileDialogOptions> openRequests;
    QList<FileDialogOptions> saveRequests;

private:
    std::optional<QString> nextAnswer();
};

class FakeMessageBoxes : public MessageBoxes {
public:
    void warn(QWidget *parent, const QString &title, const QString &text) override;
    bool confirm(QWidget *parent, const QString &title, const QString &text,
                 const QString &acceptLabel) override;

    QStringList warnings;
    QStringList questions;
    std::deque<bool> answers; // a question with no scripted answer is declined
};

class FakeShell : public Shell {
public:
    void openAddress(const QString &address) override { opened << address; }

    QStringList opened;
};

// One double of every platform service, for a main window under test.
class FakePlatform {
public:
    PlatformServices services()
    {
        return {trayIcon, popupMenus, windowHints, fileDialogs, messageBoxes, shell};
    }

    FakeTrayIcon trayIcon;
    FakePopupMenus popupMenus;
    FakeWindowHints windowHints;
    FakeFileDialogs fileDialogs;
    FakeMessageBoxes messageBoxes;
    FakeShell shell;
};
