// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class FileDialogs;
class MessageBoxes;
class PopupMenus;
class Shell;
class TrayIconControl;
class WindowHints;

// Every place where the program touches the window system, dialogs or the shell. The main window
// works only through these, so tests can hand it doubles and run without a display.
struct PlatformServices {
    TrayIconControl &trayIcon;
    PopupMenus &popupMenus;
    WindowHints &windowHints;
    FileDialogs &fileDialogs;
    MessageBoxes &messageBoxes;
    Shell &shell;
};
