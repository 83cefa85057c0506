// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTest>

#include "web/onTheWeb.h"

class tst_onTheWeb : public QObject {
    Q_OBJECT

private slots:
    void captionsInMenuOrder();
    void addressOfEachIndex_data();
    void addressOfEachIndex();
    void noAddressOutsideTheTable_data();
    void noAddressOutsideTheTable();
    void customBase_data();
    void customBase();
};

void tst_onTheWeb::captionsInMenuOrder()
{
    const QStringList expected{QStringLiteral("&Tavlo Homepage"),
                               QStringLiteral("&Frequently Asked Questions"),
                               QStringLiteral("&Known Bugs"),
                               QStringLiteral("Online &Support"),
                               QStringLiteral("-"),
                               QStringLiteral("&Other Free Stuff"),
                               QStringLiteral("Send Feed&back"),
                               QStringLiteral("Bug &Report"),
                               QStringLiteral("-"),
                               QStringLiteral("Marlov Venstad's &Home Page")};
    QStringList captions;
    for (const WebLink &link : webLinks())
        captions << QString::fromLatin1(link.caption);
    QCOMPARE(captions, expected);
}

void tst_onTheWeb::addressOfEachIndex_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("separator");

    const QString base = QStringLiteral(TAVLO_WEB_BASE);
    const auto page = [&](int index, const char *path) {
        QTest::addRow("%d", index) << index << base + QLatin1String(path) << false;
    };
    const auto separator = [](int index) {
        QTest::addRow("%d separator", index) << index << QString() << true;
    };
    page(0, "/marlov/SOFTWARE/sftTavlo.html");
    page(1, "/marlov/SOFTWARE/sftTavlo-FAQ.html");
    page(2, "/marlov/SOFTWARE/sftTavlo-Bugs.html");
    page(3, "/marlov/SOFTWARE/support.html");
    separator(4);
    page(5, "/marlov/SOFTWARE/index.html");
    page(6, "/marlov/SOFTWARE/feedback.html");
    page(7, "/marlov/SOFTWARE/bugreport.html");
    separator(8);
    page(9, "/marlov/index.html");
}

void tst_onTheWeb::addressOfEachIndex()
{
    QFETCH(int, index);
    QFETCH(QString, address);
    QFETCH(bool, separator);

    const std::optional<QString> actual = webAddress(index);
    if (separator) {
        QVERIFY(!actual.has_value());
        QCOMPARE(webLinks()[index].path, nullptr);
    } else {
        QVERIFY(actual.has_value());
        QCOMPARE(*actual, address);
    }
}

void tst_onTheWeb::noAddressOutsideTheTable_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("-1") << -1;
    QTest::newRow("10") << 10;
    QTest::newRow("32767") << 32767;
    QTest::newRow("-32768") << -32768;
}

void tst_onTheWeb::noAddressOutsideTheTable()
{
    QFETCH(int, index);
    QVERIFY(!webAddress(index).has_value());
    QVERIFY(!webAddress(index, QStringLiteral("http://elsewhere.test")).has_value());
}

void tst_onTheWeb::customBase_data()
{
    QTest::addColumn<QString>("base");
    QTest::newRow("no trailing slash") << QStringLiteral("http://mirror.test:8080");
    QTest::newRow("trailing slash") << QStringLiteral("http://mirror.test:8080/");
    QTest::newRow("two trailing slashes") << QStringLiteral("http://mirror.test:8080//");
}

void tst_onTheWeb::customBase()
{
    QFETCH(QString, base);
    QCOMPARE(webAddress(0, base),
             QStringLiteral("http://mirror.test:8080/marlov/SOFTWARE/sftTavlo.html"));
    QCOMPARE(webAddress(9, base), QStringLiteral("http://mirror.test:8080/marlov/index.html"));
    QVERIFY(!webAddress(4, base).has_value());
}

QTEST_APPLESS_MAIN(tst_onTheWeb)
#include "tst_onTheWeb.moc"
