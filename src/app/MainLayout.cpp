// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainLayout.h"

void fillInnerArea(Twips scaleWidth, Twips scaleHeight, TwipsRect &txt)
{
    txt.Width = scaleWidth;
    txt.Height = scaleHeight;
}

void placeCornerPicture(const TwipsRect &txt, TwipsRect &pic)
{
    pic.Top = (txt.Top + txt.Height) - (pic.Height + MainDesign::PictureMargin);
    pic.Left = (txt.Left + txt.Width) - (pic.Width + MainDesign::PictureMargin);
}

TwipsPoint bottomRightPlacement(Twips screenWidth, Twips screenHeight, Twips formWidth,
                                Twips formHeight)
{
    return {screenWidth - formWidth, screenHeight - (formHeight + MainDesign::BottomGap)};
}
