// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on the desktop with Qt scaling everything by two, compared with the same
// program unscaled: the window keeps its size in twips and its place, and its pictures are drawn
// from the double-size art instead of being blurred or pixel-doubled.
#include "DesktopDriver.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <algorithm>

using namespace desktop;

namespace {

// The inner area and the corner picture in twips, and the gap below the window.
constexpr double TwipsPerInch = 1440.0;
constexpr double Dpi = 96.0;
constexpr int InnerWidth = 4215;
constexpr int InnerHeight = 3015;
constexpr int PictureWidth = 215;
constexpr int PictureHeight = 225;
constexpr int PictureMargin = 30;
constexpr int BottomGap = 800;

int logicalPixels(int twips)
{
    return qRound(twips * Dpi / TwipsPerInch);
}

// The sixteen colours the art is drawn with.
const QSet<QRgb> &artPalette()
{
    static const QSet<QRgb> colours{
        qRgb(0x00, 0x00, 0x00), qRgb(0x80, 0x00, 0x00), qRgb(0x00, 0x80, 0x00),
        qRgb(0x80, 0x80, 0x00), qRgb(0x00, 0x00, 0x80), qRgb(0x80, 0x00, 0x80),
        qRgb(0x00, 0x80, 0x80), qRgb(0xC0, 0xC0, 0xC0), qRgb(0x80, 0x80, 0x80),
        qRgb(0xFF, 0x00, 0x00), qRgb(0x00, 0xFF, 0x00), qRgb(0xFF, 0xFF, 0x00),
        qRgb(0x00, 0x00, 0xFF), qRgb(0xFF, 0x00, 0xFF), qRgb(0x00, 0xFF, 0xFF),
        qRgb(0xFF, 0xFF, 0xFF)};
    return colours;
}

QImage art(const QString &fileName)
{
    return QImage(QStringLiteral(TAVLO_IMAGES_DIR "/") + fileName)
        .convertToFormat(QImage::Format_ARGB32);
}

// A crop enlarged without smoothing, for a person to look at.
void saveEnlarged(const QImage &image, const QString &name)
{
    image.scaled(image.size() * 8, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .save(artifactPath(name));
}

// Colours of the picture that are neither in the allowed set nor, so, in the art: a blurred or
// smoothly scaled picture mixes neighbouring colours into new ones.
QStringList foreignColours(const QImage &picture, const QSet<QRgb> &allowed)
{
    QSet<QRgb> foreign;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb colour = picture.pixel(x, y) | 0xff000000u;
            if (!allowed.contains(colour))
                foreign.insert(colour);
        }
    }
    QStringList names;
    for (const QRgb colour : std::as_const(foreign))
        names << QColor(colour).name();
    names.sort();
    return names;
}

// True if the art appears in the picture one art pixel to one screen pixel, at any offset: each
// of its opaque pixels has exactly its colour.
bool containsArt(const QImage &picture, const QImage &artImage)
{
    for (int dy = 0; dy + artImage.height() <= picture.height(); ++dy) {
        for (int dx = 0; dx + artImage.width() <= picture.width(); ++dx) {
            bool same = true;
            for (int y = 0; same && y < artImage.height(); ++y) {
                for (int x = 0; same && x < artImage.width(); ++x) {
                    const QRgb pixel = artImage.pixel(x, y);
                    if (qAlpha(pixel) == 255)
                        same = (picture.pixel(dx + x, dy + y) | 0xff000000u) == pixel;
                }
            }
            if (same)
                return true;
        }
    }
    return false;
}

int differingPixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return qMax(a.width() * a.height(), b.width() * b.height());
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            count += (a.pixel(x, y) | 0xff000000u) != (b.pixel(x, y) | 0xff000000u);
    }
    return count;
}

QImage pixelDoubled(const QImage &image)
{
    return image.scaled(image.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// The icons of _NET_WM_ICON: width, height and that many ARGB pixels, one after another.
QList<QImage> windowIcons(const QString &window)
{
    const QString text =
        run(QStringLiteral("xprop"),
            {QStringLiteral("-id"), window, QStringLiteral("-notype"), QStringLiteral("-f"),
             QStringLiteral("_NET_WM_ICON"), QStringLiteral("32c"), QStringLiteral("=$0+\\n"),
             QStringLiteral("_NET_WM_ICON")});
    QList<quint32> values;
    const QRegularExpression number(QStringLiteral("\\d+"));
    for (auto it = number.globalMatch(text.section(u'=', 1)); it.hasNext();)
        values << it.next().captured().toUInt();
    QList<QImage> icons;
    for (qsizetype at = 0; at + 2 <= values.size();) {
        const int width = int(values[at]);
        const int height = int(values[at + 1]);
        at += 2;
        if (width <= 0 || height <= 0 || at + qsizetype(width) * height > values.size())
            break;
        QImage icon(width, height, QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                icon.setPixel(x, y, values[at++]);
        }
        icons << icon;
    }
    return icons;
}

// Same alpha everywhere, same colour where opaque.
bool sameIcon(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (qAlpha(p) != qAlpha(q) || (qAlpha(p) == 255 && p != q))
                return false;
        }
    }
    return true;
}

QString sizes(const QList<QImage> &icons)
{
    QStringList list;
    for (const QImage &icon : icons)
        list << QStringLiteral("%1x%2").arg(icon.width()).arg(icon.height());
    return list.join(u' ');
}

// A picture not drawn yet is all one colour.
bool isOneColour(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != image.pixel(0, 0))
                return false;
        }
    }
    return true;
}

// What the desktop shows of one run of the program.
struct Observed {
    int scale = 1;
    QSize screen;
    QRect client;
    QRect frame;
    QRect tray;
    QImage shot;
    QList<QImage> icons;

    // The corner picture in screen pixels: 30 twips inside the editor's bottom-right corner.
    QRect picture() const
    {
        const QPoint topLeft(logicalPixels(InnerWidth - PictureWidth - PictureMargin),
                             logicalPixels(InnerHeight - PictureHeight - PictureMargin));
        const QSize size(logicalPixels(PictureWidth), logicalPixels(PictureHeight));
        return QRect(client.topLeft() + topLeft * scale, size * scale);
    }
};

} // namespace

class TestHighDpiOnDesktop : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void unscaledBaseline();
    void windowKeepsItsTwipsSizeAndPlace();
    void windowIconCarriesDoubleSizeArt();
    void cornerPictureIsDrawnFromDoubleSizeArt();
    void trayIconIsDrawnCrisp();

private:
    bool observe(int scale, Observed &observed, bool pictures = true);

    Observed m_normal;
    Observed m_doubled;
    bool m_observedNormal = false;
    bool m_observedDoubled = false;
};

bool TestHighDpiOnDesktop::observe(int scale, Observed &observed, bool pictures)
{
    // Only the one factor given here scales the program.
    for (const char *name : {"QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR",
                             "QT_ENABLE_HIGHDPI_SCALING", "QT_SCALE_FACTOR_ROUNDING_POLICY"})
        qunsetenv(name);
    if (scale == 1)
        qunsetenv("QT_SCALE_FACTOR");
    else
        qputenv("QT_SCALE_FACTOR", QByteArray::number(scale));
    // Nothing may hover over the pictures.
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0")});

    TavloProcess tavlo;
    const bool started = tavlo.start();
    qunsetenv("QT_SCALE_FACTOR");
    if (!started)
        return false;
    const QString window = tavlo.mainWindow();
    observed.scale = scale;
    observed.screen = screenSize();
    // Placement is redone once the frame is known; the tests check where the window ends up.
    const double gap = BottomGap * Dpi / TwipsPerInch * scale;
    waitFor([&] {
        observed.frame = frameRect(window);
        return qAbs(observed.screen.height() - (observed.frame.bottom() + 1) - gap) < scale;
    });
    observed.client = clientRect(window);
    observed.tray = clientRect(tavlo.trayWindow());
    if (!pictures)
        return true;
    observed.icons = windowIcons(window);
    const QString name = QStringLiteral("highdpi-scale%1").arg(scale);
    // The window is painted some time after it is shown.
    waitFor([&] {
        screenshot(name);
        observed.shot = QImage(artifactPath(name)).convertToFormat(QImage::Format_RGB32);
        return !observed.shot.isNull() && !isOneColour(observed.shot.copy(observed.picture()));
    });
    return !observed.shot.isNull();
}

void TestHighDpiOnDesktop::initTestCase()
{
    QVERIFY2(!art(QStringLiteral("corner@2x.xpm")).isNull(), TAVLO_IMAGES_DIR);
    m_observedNormal = observe(1, m_normal);
    m_observedDoubled = observe(2, m_doubled);
}

void TestHighDpiOnDesktop::unscaledBaseline()
{
    QVERIFY(m_observedNormal);
    QCOMPARE(m_normal.client.size(), QSize(281, 201));
    QCOMPARE(m_normal.frame.right() + 1, m_normal.screen.width());
    const double gap = m_normal.screen.height() - (m_normal.frame.bottom() + 1);
    QVERIFY2(qAbs(gap - BottomGap * Dpi / TwipsPerInch) < 1.0,
             qPrintable(QStringLiteral("bottom gap %1").arg(gap)));
    const QImage corner = m_normal.shot.copy(m_normal.picture());
    saveEnlarged(corner, QStringLiteral("highdpi-corner-scale1"));
    QVERIFY(containsArt(corner, art(QStringLiteral("corner.xpm"))));
}

void TestHighDpiOnDesktop::windowKeepsItsTwipsSizeAndPlace()
{
    QVERIFY(m_observedDoubled);
    // The window manager may frame the window before or after Qt learns of the frame; a few
    // more starts try both orders.
    QList<Observed> starts{m_doubled};
    for (int i = 0; i < 4; ++i) {
        Observed again;
        QVERIFY(observe(2, again, false));
        starts << again;
    }
    for (const Observed &start : std::as_const(starts)) {
        // 4215 x 3015 twips are 281 x 201 of Qt's pixels, each two screen pixels wide and high.
        QCOMPARE(start.client.size(), QSize(562, 402));
        // Qt places a window on whole pixels of its own, two screen pixels each, while the
        // frame's border may be one screen pixel: the edge may lie one screen pixel off.
        const int rightGap = start.screen.width() - (start.frame.right() + 1);
        QVERIFY2(
            qAbs(rightGap) <= 1,
            qPrintable(QStringLiteral("right edge %1 pixels from the screen's").arg(rightGap)));
        // The 800 twips below the window are 53.3 of Qt's pixels, give or take one of them.
        const double gap = start.screen.height() - (start.frame.bottom() + 1);
        const double expected = BottomGap * Dpi / TwipsPerInch * start.scale;
        QVERIFY2(qAbs(gap - expected) < start.scale,
                 qPrintable(QStringLiteral("bottom gap %1 screen pixels, not %2")
                                .arg(gap)
                                .arg(expected, 0, 'f', 1)));
    }
}

void TestHighDpiOnDesktop::windowIconCarriesDoubleSizeArt()
{
    QVERIFY(m_observedNormal);
    QVERIFY(m_observedDoubled);
    const QImage normalArt = art(QStringLiteral("tavlo.xpm"));
    const QImage doubleArt = art(QStringLiteral("tavlo@2x.xpm"));
    QVERIFY(std::any_of(m_normal.icons.cbegin(), m_normal.icons.cend(),
                        [&](const QImage &icon) { return sameIcon(icon, normalArt); }));

    const auto doubled =
        std::find_if(m_doubled.icons.cbegin(), m_doubled.icons.cend(),
                     [](const QImage &icon) { return icon.size() == QSize(64, 64); });
    QVERIFY2(doubled != m_doubled.icons.cend(),
             qPrintable(QStringLiteral("icon sizes: ") + sizes(m_doubled.icons)));
    doubled->save(artifactPath(QStringLiteral("highdpi-window-icon-64")));
    QVERIFY2(sameIcon(*doubled, doubleArt), "the 64 x 64 icon is not the double-size art");
    QVERIFY(!sameIcon(*doubled, pixelDoubled(normalArt)));
}

void TestHighDpiOnDesktop::cornerPictureIsDrawnFromDoubleSizeArt()
{
    QVERIFY(m_observedNormal);
    QVERIFY(m_observedDoubled);
    const QRect place = m_doubled.picture();
    QCOMPARE(place.size(), QSize(28, 30));
    QVERIFY2(m_doubled.shot.rect().contains(place.adjusted(-3, 0, 0, 0)),
             "the picture is not on the screen");
    const QImage normal = m_normal.shot.copy(m_normal.picture());
    const QImage doubled = m_doubled.shot.copy(place);
    saveEnlarged(doubled, QStringLiteral("highdpi-corner-scale2"));

    // The editor's background, just left of the picture.
    QSet<QRgb> allowed = artPalette();
    allowed.insert(m_doubled.shot.pixel(place.left() - 3, place.center().y()) | 0xff000000u);
    const QStringList foreign = foreignColours(doubled, allowed);
    QVERIFY2(foreign.isEmpty(),
             qPrintable(QStringLiteral("blurred: colours ") + foreign.join(u' ')));
    const int redrawn = differingPixels(doubled, pixelDoubled(normal));
    QVERIFY2(redrawn > 0, "the picture is the small art pixel-doubled");
    QVERIFY2(containsArt(doubled, art(QStringLiteral("corner@2x.xpm"))),
             "the double-size art is not drawn one to one");
}

void TestHighDpiOnDesktop::trayIconIsDrawnCrisp()
{
    QVERIFY(m_observedNormal);
    QVERIFY(m_observedDoubled);
    const QImage normal = m_normal.shot.copy(m_normal.tray);
    const QImage doubled = m_doubled.shot.copy(m_doubled.tray);
    saveEnlarged(normal, QStringLiteral("highdpi-tray-scale1"));
    saveEnlarged(doubled, QStringLiteral("highdpi-tray-scale2"));
    QVERIFY2(containsArt(normal, art(QStringLiteral("tray.xpm"))),
             "unscaled, the art is not drawn");

    // The slot's own background shows in its corners, where the art is transparent.
    QSet<QRgb> allowed = artPalette();
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(doubled.width() - 1, 0), QPoint(0, doubled.height() - 1),
          QPoint(doubled.width() - 1, doubled.height() - 1)})
        allowed.insert(doubled.pixel(corner) | 0xff000000u);
    const QStringList foreign = foreignColours(doubled, allowed);
    QVERIFY2(foreign.isEmpty(), qPrintable(QStringLiteral("blurred in a %1x%2 slot: colours %3")
                                               .arg(doubled.width())
                                               .arg(doubled.height())
                                               .arg(foreign.join(u' '))));

    // The tray decides the slot's size in screen pixels. Where the double-size art fits, it is
    // drawn one to one; in a smaller slot the small art is, rather than a blur of the large one.
    const QImage doubleArt = art(QStringLiteral("tray@2x.xpm"));
    const QImage normalArt = art(QStringLiteral("tray.xpm"));
    const QSize slot = m_doubled.tray.size();
    if (slot.width() >= doubleArt.width() && slot.height() >= doubleArt.height()) {
        QVERIFY2(containsArt(doubled, doubleArt), "the double-size art is not drawn one to one");
        if (slot == m_normal.tray.size() * 2)
            QVERIFY(differingPixels(doubled, pixelDoubled(normal)) > 0);
    } else {
        qInfo("The tray gives a %dx%d slot, too small for the double-size art.", slot.width(),
              slot.height());
        QVERIFY2(containsArt(doubled, normalArt), "the small art is not drawn one to one");
    }
}

QTEST_GUILESS_MAIN(TestHighDpiOnDesktop)
#include "tst_e2e_highdpi.moc"
