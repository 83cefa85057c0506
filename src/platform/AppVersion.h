// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "buildinfo.h"

// The program's version numbers, as 16-bit integers, taken from the build's project version.
struct AppVersion {
    qint16 Major;
    qint16 Minor;
    qint16 Revision;
};

inline constexpr AppVersion App{TAVLO_VERSION_MAJOR, TAVLO_VERSION_MINOR, TAVLO_VERSION_PATCH};

// "1.0.8": the three numbers as plain decimal text joined by dots.
QString versionNumbers(const AppVersion &version = App);

// "Tavlo 1.0.8": the window caption, the tray tool tip and the About box heading.
QString versionedProductString(const AppVersion &version = App);
