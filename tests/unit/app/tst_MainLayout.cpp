// SPDX-License-Identifier: GPL-3.0-or-later
// The window's plain geometry arithmetic in twips and the product string.
#include <QTest>

#include "app/MainLayout.h"
#include "platform/AppVersion.h"
#include "platform/Twips.h"

Q_DECLARE_METATYPE(TwipsRect)

class tst_MainLayout : public QObject {
    Q_OBJECT

private slots:
    void twipsToPixelsRounds_data();
    void twipsToPixelsRounds();
    void pixelsToTwips_data();
    void pixelsToTwips();
    void fillInnerAreaSetsOnlyTheSize_data();
    void fillInnerAreaSetsOnlyTheSize();
    void cornerPictureSitsInsideTheEditorCorner_data();
    void cornerPictureSitsInsideTheEditorCorner();
    void bottomRightPlacement_data();
    void bottomRightPlacement();
    void productStringCarriesTheBuildVersion();
    void productString_data();
    void productString();
};

void tst_MainLayout::twipsToPixelsRounds_data()
{
    QTest::addColumn<Twips>("twips");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::newRow("inch@96") << Twips(1440) << 96.0 << 96;
    QTest::newRow("inch@144") << Twips(1440) << 144.0 << 144;
    QTest::newRow("inner width@96") << Twips(4215) << 96.0 << 281;
    QTest::newRow("inner height@96") << Twips(3015) << 96.0 << 201;
    QTest::newRow("inner width@144") << Twips(4215) << 144.0 << 422;
    QTest::newRow("picture width@96") << Twips(215) << 96.0 << 14;
    QTest::newRow("picture width@144, half rounds up") << Twips(215) << 144.0 << 22;
    QTest::newRow("below half@96") << Twips(7) << 96.0 << 0;
    QTest::newRow("above half@96") << Twips(8) << 96.0 << 1;
    QTest::newRow("negative@96") << Twips(-245) << 96.0 << -16;
    QTest::newRow("zero") << Twips(0) << 144.0 << 0;
}

void tst_MainLayout::twipsToPixelsRounds()
{
    QFETCH(Twips, twips);
    QFETCH(double, dpi);
    QFETCH(int, pixels);
    QCOMPARE(twipsToPixels(twips, dpi), pixels);
}

void tst_MainLayout::pixelsToTwips_data()
{
    QTest::addColumn<int>("pixels");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<Twips>("twips");
    QTest::newRow("1px@96") << 1 << 96.0 << Twips(15);
    QTest::newRow("1px@144") << 1 << 144.0 << Twips(10);
    QTest::newRow("281px@96") << 281 << 96.0 << Twips(4215);
    QTest::newRow("201px@144") << 201 << 144.0 << Twips(2010);
    QTest::newRow("fraction@100") << 1 << 100.0 << Twips(14.4f);
    QTest::newRow("negative@96") << -3 << 96.0 << Twips(-45);
}

void tst_MainLayout::pixelsToTwips()
{
    QFETCH(int, pixels);
    QFETCH(double, dpi);
    QFETCH(Twips, twips);
    QCOMPARE(::pixelsToTwips(pixels, dpi), twips);
    // Whole pixels survive the round trip at both densities.
    QCOMPARE(twipsToPixels(::pixelsToTwips(pixels, dpi), dpi), pixels);
}

void tst_MainLayout::fillInnerAreaSetsOnlyTheSize_data()
{
    QTest::addColumn<TwipsRect>("before");
    QTest::addColumn<Twips>("scaleWidth");
    QTest::addColumn<Twips>("scaleHeight");
    QTest::newRow("design") << MainDesign::txt << Twips(4215) << Twips(3015);
    QTest::newRow("larger") << MainDesign::txt << Twips(9000) << Twips(6000);
    QTest::newRow("tiny") << MainDesign::txt << Twips(15) << Twips(30);
    QTest::newRow("offset editor") << TwipsRect{120, 45, 1, 1} << Twips(5000) << Twips(4000);
}

void tst_MainLayout::fillInnerAreaSetsOnlyTheSize()
{
    QFETCH(TwipsRect, before);
    QFETCH(Twips, scaleWidth);
    QFETCH(Twips, scaleHeight);
    TwipsRect txt = before;
    fillInnerArea(scaleWidth, scaleHeight, txt);
    QCOMPARE(txt.Left, before.Left);
    QCOMPARE(txt.Top, before.Top);
    QCOMPARE(txt.Width, scaleWidth);
    QCOMPARE(txt.Height, scaleHeight);
}

void tst_MainLayout::cornerPictureSitsInsideTheEditorCorner_data()
{
    QTest::addColumn<TwipsRect>("txt");
    QTest::addColumn<Twips>("left");
    QTest::addColumn<Twips>("top");
    QTest::newRow("design") << MainDesign::txt << Twips(3970) << Twips(2760);
    QTest::newRow("larger") << TwipsRect{0, 0, 9000, 6000} << Twips(8755) << Twips(5745);
    QTest::newRow("offset editor") << TwipsRect{100, 200, 1000, 800} << Twips(855) << Twips(745);
    QTest::newRow("exactly fits") << TwipsRect{0, 0, 245, 255} << Twips(0) << Twips(0);
    QTest::newRow("smaller than picture") << TwipsRect{0, 0, 100, 50} << Twips(-145) << Twips(-205);
}

void tst_MainLayout::cornerPictureSitsInsideTheEditorCorner()
{
    QFETCH(TwipsRect, txt);
    QFETCH(Twips, left);
    QFETCH(Twips, top);
    // Start away from the answer so that a placement that does nothing is caught.
    TwipsRect pic{1, 2, 215, 225};
    placeCornerPicture(txt, pic);
    QCOMPARE(pic.Left, left);
    QCOMPARE(pic.Top, top);
    QCOMPARE(pic.Width, Twips(215));
    QCOMPARE(pic.Height, Twips(225));
    QCOMPARE((txt.Left + txt.Width) - (pic.Left + pic.Width), MainDesign::PictureMargin);
    QCOMPARE((txt.Top + txt.Height) - (pic.Top + pic.Height), MainDesign::PictureMargin);
}

void tst_MainLayout::bottomRightPlacement_data()
{
    QTest::addColumn<Twips>("screenWidth");
    QTest::addColumn<Twips>("screenHeight");
    QTest::addColumn<Twips>("formWidth");
    QTest::addColumn<Twips>("formHeight");
    QTest::addColumn<Twips>("left");
    QTest::addColumn<Twips>("top");
    QTest::newRow("800x600@96") << Twips(12000) << Twips(9000) << Twips(4335) << Twips(3525)
                                << Twips(7665) << Twips(4675);
    QTest::newRow("1920x1080@96") << Twips(28800) << Twips(16200) << Twips(4215) << Twips(3015)
                                  << Twips(24585) << Twips(12385);
    QTest::newRow("form taller than screen")
        << Twips(3000) << Twips(2000) << Twips(4215) << Twips(3015) << Twips(-1215) << Twips(-1815);
}

void tst_MainLayout::bottomRightPlacement()
{
    QFETCH(Twips, screenWidth);
    QFETCH(Twips, screenHeight);
    QFETCH(Twips, formWidth);
    QFETCH(Twips, formHeight);
    QFETCH(Twips, left);
    QFETCH(Twips, top);
    const TwipsPoint topLeft =
        ::bottomRightPlacement(screenWidth, screenHeight, formWidth, formHeight);
    QCOMPARE(topLeft.Left, left);
    QCOMPARE(topLeft.Top, top);
}

void tst_MainLayout::productStringCarriesTheBuildVersion()
{
    QCOMPARE(App.Major, qint16(1));
    QCOMPARE(App.Minor, qint16(0));
    QCOMPARE(App.Revision, qint16(8));
    QCOMPARE(versionedProductString(), QStringLiteral("Tavlo 1.0.8"));
}

void tst_MainLayout::productString_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two-digit revision") << 1 << 0 << 12 << QStringLiteral("Tavlo 1.0.12");
    QTest::newRow("all zero") << 0 << 0 << 0 << QStringLiteral("Tavlo 0.0.0");
    QTest::newRow("wide numbers") << 10 << 200 << 3000 << QStringLiteral("Tavlo 10.200.3000");
    QTest::newRow("largest") << 32767 << 1 << 2 << QStringLiteral("Tavlo 32767.1.2");
}

void tst_MainLayout::productString()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, expected);
    const AppVersion version{qint16(major), qint16(minor), qint16(revision)};
    QCOMPARE(versionedProductString(version), expected);
}

QTEST_GUILESS_MAIN(tst_MainLayout)
#include "tst_MainLayout.moc"
