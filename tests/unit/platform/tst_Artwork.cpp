// SPDX-License-Identifier: GPL-3.0-or-later
// The compiled-in pictures: each loads in both sizes, and loading them brings no image plugin
// into the resident program.
#include <QFile>
#include <QTest>

#include "platform/Artwork.h"

using namespace Qt::StringLiterals;

class tst_Artwork : public QObject {
    Q_OBJECT
private slots:
    void picturesLoadInBothSizes_data();
    void picturesLoadInBothSizes();
    void noImagePluginIsLoaded();
};

void tst_Artwork::picturesLoadInBothSizes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("window icon") << u"tavlo"_s << QSize(32, 32);
    // The picture box's own size in the design, 215 x 225 twips.
    QTest::newRow("corner picture") << u"corner"_s << QSize(14, 15);
    QTest::newRow("tray icon") << u"tray"_s << QSize(16, 16);
}

void tst_Artwork::picturesLoadInBothSizes()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QPixmap single = artwork::pixmap(name);
    const QPixmap doubled = artwork::pixmap(name, true);
    QCOMPARE(single.size(), size);
    QCOMPARE(doubled.size(), 2 * size);

    // On a screen of ordinary density the icon holds the single size only: every size it holds
    // is handed to the window manager. (The doubled art at a scale of 2 is checked end to end.)
    const QIcon icon = artwork::icon(name);
    QCOMPARE(icon.availableSizes(), QList<QSize>{size});
    QCOMPARE(icon.pixmap(size, 1.0).toImage(), single.toImage());
}

void tst_Artwork::noImagePluginIsLoaded()
{
    for (const QString &name : {u"tavlo"_s, u"corner"_s, u"tray"_s})
        QVERIFY(!artwork::icon(name).isNull());
    QFile maps(u"/proc/self/maps"_s);
    QVERIFY(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    QVERIFY2(!mapped.contains("/imageformats/"), "an image format plugin was loaded");
}

QTEST_MAIN(tst_Artwork)
#include "tst_Artwork.moc"
