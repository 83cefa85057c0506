// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Twips.h"

#include <cmath>

int twipsToPixels(Twips twips, double dotsPerInch)
{
    return static_cast<int>(std::lround(double(twips) * dotsPerInch / TwipsPerInch));
}

Twips pixelsToTwips(int pixels, double dotsPerInch)
{
    return static_cast<Twips>(double(pixels) * TwipsPerInch / dotsPerInch);
}
