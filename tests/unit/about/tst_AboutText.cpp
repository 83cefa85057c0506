// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTest>

#include "about/AboutText.h"

class tst_AboutText : public QObject {
    Q_OBJECT

private slots:
    void textIsExact();
    void textLines();
    void titleGluesVersionToName_data();
    void titleGluesVersionToName();
    void copyrightIsOneLine();
};

void tst_AboutText::textIsExact()
{
    const QByteArray expected =
        "Tavlo is an almost shameless rip-off of a program called \"Wendle\", which is written by "
        "a guy named Orvel Brask. I should be ashamed, but I'm not.\r\n\r\n"
        "Tavlo includes some small -- but never the less useful -- features that aren't "
        "available in \"Wendle\":\r\n\r\n"
        "               \"Clear\", \"Open\" and \"Save\".\r\n\r\n";
    QCOMPARE(aboutText().toUtf8(), expected);
}

void tst_AboutText::textLines()
{
    const QStringList lines = aboutText().split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 7);
    QVERIFY(lines[1].isEmpty());
    QVERIFY(lines[3].isEmpty());
    QVERIFY(lines[5].isEmpty());
    QVERIFY(lines[6].isEmpty());
    QVERIFY(lines[4].startsWith(QString(15, u' ') + u'"'));
    QVERIFY(!aboutText().contains(QStringLiteral("\r\r")));
    QVERIFY(!aboutText().remove(QStringLiteral("\r\n")).contains(u'\n'));
}

void tst_AboutText::titleGluesVersionToName_data()
{
    QTest::addColumn<qint16>("major");
    QTest::addColumn<qint16>("minor");
    QTest::addColumn<qint16>("revision");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("product");

    QTest::newRow("1.0.8") << qint16(1) << qint16(0) << qint16(8)
                           << QStringLiteral("About Tavlo1.0.8") << QStringLiteral("Tavlo 1.0.8");
    QTest::newRow("1.10.12") << qint16(1) << qint16(10) << qint16(12)
                             << QStringLiteral("About Tavlo1.10.12")
                             << QStringLiteral("Tavlo 1.10.12");
    QTest::newRow("0.0.0") << qint16(0) << qint16(0) << qint16(0)
                           << QStringLiteral("About Tavlo0.0.0") << QStringLiteral("Tavlo 0.0.0");
}

void tst_AboutText::titleGluesVersionToName()
{
    QFETCH(qint16, major);
    QFETCH(qint16, minor);
    QFETCH(qint16, revision);
    QFETCH(QString, title);
    QFETCH(QString, product);

    const AppVersion version{major, minor, revision};
    QCOMPARE(aboutTitle(version), title);
    QCOMPARE(versionedProductString(version), product);
}

void tst_AboutText::copyrightIsOneLine()
{
    const QString notice = copyrightNotice();
    QVERIFY(notice.contains(QStringLiteral("Marlov Venstad")));
    QVERIFY(!notice.contains(u'\n'));
    QVERIFY(!notice.contains(u'\r'));
}

QTEST_APPLESS_MAIN(tst_AboutText)
#include "tst_AboutText.moc"
