// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Twips.h"

// The main window's design geometry and the arithmetic that keeps it, all in twips.
namespace MainDesign {
inline constexpr Twips InnerWidth = 4215;
inline constexpr Twips InnerHeight = 3015;
inline constexpr TwipsRect txt{0, 0, 4215, 3015};
inline constexpr TwipsRect pic{3960, 2760, 215, 225};
// Between the corner picture and the editor's right and bottom edges.
inline constexpr Twips PictureMargin = 30;
// Between the window's bottom edge and the screen's bottom edge at start.
inline constexpr Twips BottomGap = 800;
} // namespace MainDesign

// The editor fills the inner area; only its size changes.
void fillInnerArea(Twips scaleWidth, Twips scaleHeight, TwipsRect &txt);
// The picture keeps its size and moves so that its bottom-right corner stays a margin inside the
// editor's bottom-right corner.
void placeCornerPicture(const TwipsRect &txt, TwipsRect &pic);

// Top-left of the window's outer frame so that its right edge lies on the screen's right edge
// and its bottom edge the bottom gap above the screen's bottom edge.
struct TwipsPoint {
    Twips Left = 0;
    Twips Top = 0;
};
TwipsPoint bottomRightPlacement(Twips screenWidth, Twips screenHeight, Twips formWidth,
                                Twips formHeight);
