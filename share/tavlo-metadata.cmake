# SPDX-License-Identifier: GPL-3.0-or-later
# Facts about Tavlo shared by the desktop entry, the AppStream metainfo, the man page, the Debian
# copyright and changelog files (share/CMakeLists.txt) and the package (cmake/Packaging.cmake).
# The version is PROJECT_VERSION; everything else that describes the program is set here once.

# Reverse-DNS application id; it fits the default web base https://tavlo.example.
# It names the desktop entry, the icon and the metainfo file.
set(TAVLO_APP_ID "example.tavlo.Tavlo")
set(TAVLO_AUTHOR "Marlov Venstad")
set(TAVLO_AUTHOR_EMAIL "marlov@tavlo.example")
set(TAVLO_MAINTAINER "${TAVLO_AUTHOR} <${TAVLO_AUTHOR_EMAIL}>")
set(TAVLO_DEVELOPER_ID "example.tavlo")
set(TAVLO_COPYRIGHT_YEARS "2026")

# Date of the release PROJECT_VERSION (YYYY-MM-DD).
set(TAVLO_RELEASE_DATE "2026-12-07")

# Tavlo's licence: its SPDX expression (AppStream), its short name in a Debian copyright file,
# and the text that file gives for it.
set(TAVLO_LICENSE "GPL-3.0-or-later")
set(TAVLO_COPYRIGHT_LICENSE "GPL-3+")
set(TAVLO_LICENSE_TEXT [=[This program is free software: you can redistribute it and/or modify
 it under the terms of the GNU General Public License as published by
 the Free Software Foundation, either version 3 of the License, or
 (at your option) any later version.
 .
 This program is distributed in the hope that it will be useful,
 but WITHOUT ANY WARRANTY; without even the implied warranty of
 MERCHANTABILITY or FITNESS FOR A PARTICULAR PURPOSE.  See the
 GNU General Public License for more details.
 .
 On Debian systems, the complete text of the GNU General Public
 License version 3 can be found in "/usr/share/common-licenses/GPL-3".]=])

# The pages on the web, under the same base as the On the Web menu.
set(TAVLO_HOMEPAGE "${TAVLO_WEB_BASE}/marlov/SOFTWARE/sftTavlo.html")
set(TAVLO_FAQ_URL "${TAVLO_WEB_BASE}/marlov/SOFTWARE/sftTavlo-FAQ.html")
set(TAVLO_BUGS_URL "${TAVLO_WEB_BASE}/marlov/SOFTWARE/bugreport.html")

set(TAVLO_GENERIC_NAME "Note Editor")
# One line, no final full stop, no leading article (desktop Comment, metainfo summary, package synopsis).
set(TAVLO_SUMMARY "Plain-text note that lives in the system tray")
