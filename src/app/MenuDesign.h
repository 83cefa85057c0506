// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

// The two popup menus as designed: captions in screen order, indexed from 0, separators ("-")
// holding indices of their own.
namespace MenuDesign {

inline constexpr const char *Separator = "-";

inline constexpr const char *mnuFile = "&File";
inline constexpr std::array<const char *, 7> mnuFileItem = {"&Hide", Separator, "&Clear", "&Open",
                                                            "&Save", Separator, "&Exit"};
enum FileItem : short { FileHide = 0, FileClear = 2, FileOpen = 3, FileSave = 4, FileExit = 6 };

inline constexpr const char *mnuTray = "&Tray";
inline constexpr std::array<const char *, 7> mnuTrayItem = {
    "&Open Tavlo", "&Always on top", Separator, "A&bout", "On the &Web", Separator, "&Exit"};
enum TrayItem : short {
    TrayShow = 0,
    TrayAlwaysOnTop = 1,
    TrayAbout = 3,
    TrayOnTheWeb = 4,
    TrayExit = 6
};

} // namespace MenuDesign
