// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The On the Web submenu's pages and the shell call that opens them.

#include <QString>

#include <array>
#include <optional>

#include "buildinfo.h"

class Shell;

// One entry of the tray menu's "On the Web" submenu. A separator has the caption "-" and no page.
struct WebLink {
    const char *caption;
    const char *path;
};

inline constexpr int WebLinkCount = 10;

// The entries of the submenu in menu order; captions carry their access-key ampersands.
const std::array<WebLink, WebLinkCount> &webLinks();

// The full address of the page behind a submenu index, or nothing for a separator or an index
// outside the table. The base is joined to the path with exactly one slash.
std::optional<QString> webAddress(int index, const QString &base = QStringLiteral(TAVLO_WEB_BASE));

// Opens a page in the desktop's default browser. Whether the browser came up is the desktop's
// to tell the user: like the shell call it stands for, it reports nothing back.
void openWebPage(Shell &shell, const QString &address);
