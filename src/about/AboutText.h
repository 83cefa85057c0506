// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "platform/AppVersion.h"

// "About Tavlo1.0.8": the About box's caption, the version glued to the name.
QString aboutTitle(const AppVersion &version = App);

// A single short line naming the author; it must fit the About box's narrow copyright label.
QString copyrightNotice();

// The About box's body: paragraphs separated by CR LF pairs, ending with one.
QString aboutText();
