// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Window geometry is designed in twips, 1440 to the inch, held in single precision.
using Twips = float;

inline constexpr Twips TwipsPerInch = 1440.0f;

// Converts through the screen's logical dots per inch; pixels are rounded to the nearest.
int twipsToPixels(Twips twips, double dotsPerInch);
Twips pixelsToTwips(int pixels, double dotsPerInch);

struct TwipsRect {
    Twips Left = 0;
    Twips Top = 0;
    Twips Width = 0;
    Twips Height = 0;
};
