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

# SPDX expression for Tavlo's licence, and the text the Debian copyright file gives for it.
# No licence has been chosen yet: while TAVLO_LICENSE is empty the metainfo names no project
# licence and the copyright file says LicenseRef-proprietary with the text below.
set(TAVLO_LICENSE "")
set(TAVLO_LICENSE_TEXT "No licence has been granted yet. All rights reserved by the author.")

# The pages on the web, under the same base as the On the Web menu.
set(TAVLO_HOMEPAGE "${TAVLO_WEB_BASE}/marlov/SOFTWARE/sftTavlo.html")
set(TAVLO_FAQ_URL "${TAVLO_WEB_BASE}/marlov/SOFTWARE/sftTavlo-FAQ.html")
set(TAVLO_BUGS_URL "${TAVLO_WEB_BASE}/marlov/SOFTWARE/bugreport.html")

set(TAVLO_GENERIC_NAME "Note Editor")
# One line, no final full stop, no leading article (desktop Comment, metainfo summary, package synopsis).
set(TAVLO_SUMMARY "Plain-text note that lives in the system tray")
