// SPDX-License-Identifier: GPL-3.0-or-later
// Display strings that the desktop tests never produce must still give a name the bus accepts:
// one per display, the same for every spelling of one display.
#include "platform/desktop/InstanceName.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

QString x11(const QString &display)
{
    return instanceBusName(QStringLiteral("xcb"), display, {});
}

// The bus's rules: two or more elements of ASCII letters, digits, '_' and '-', none starting
// with a digit, 255 characters at most.
bool isValidBusName(const QString &name)
{
    static const QRegularExpression form(
        QStringLiteral("^[A-Za-z_-][A-Za-z0-9_-]*(\\.[A-Za-z_-][A-Za-z0-9_-]*)+$"));
    return name.size() <= 255 && form.match(name).hasMatch();
}

} // namespace

class tst_InstanceName : public QObject {
    Q_OBJECT

private slots:
    void oddDisplaysGiveValidDistinctNames();
    void spellingsOfOneDisplayShareAName();
    void otherPlatforms();
    void displayOptionBeatsTheEnvironment();
};

void tst_InstanceName::oddDisplaysGiveValidDistinctNames()
{
    const QString longHost(300, u'h');
    const QStringList displays{QStringLiteral(":0"),           QStringLiteral(":1"),
                               QStringLiteral("a-b:0"),        QStringLiteral("a_b:0"),
                               QStringLiteral("a%:25"),        QStringLiteral("a:%25"),
                               QStringLiteral("[::1]:0"),      QStringLiteral("h\u00f6st:1"),
                               QStringLiteral(":\u0661"),      longHost + QStringLiteral(":1"),
                               longHost + QStringLiteral(":2")};
    QSet<QString> names;
    for (const QString &display : displays) {
        const QString name = x11(display);
        QVERIFY2(isValidBusName(name), qPrintable(display + QStringLiteral(" -> ") + name));
        names.insert(name);
    }
    QCOMPARE(names.size(), displays.size());
    QCOMPARE(x11(QStringLiteral(":0")), QStringLiteral("example.tavlo.Tavlo.x11_0"));
}

void tst_InstanceName::spellingsOfOneDisplayShareAName()
{
    for (const char *spelling : {":0.0", ":0.1", "unix:0", "unix:0.0"})
        QCOMPARE(x11(QString::fromLatin1(spelling)), x11(QStringLiteral(":0")));
}

void tst_InstanceName::otherPlatforms()
{
    const QString wayland0 = instanceBusName(QStringLiteral("wayland"), {}, {});
    QVERIFY(isValidBusName(wayland0) && wayland0 != x11(QStringLiteral(":0")));
    QCOMPARE(instanceBusName(QStringLiteral("wayland"), {}, QStringLiteral("wayland-0")), wayland0);
    QVERIFY(instanceBusName(QStringLiteral("offscreen"), QStringLiteral(":0"), {}).isEmpty());
}

void tst_InstanceName::displayOptionBeatsTheEnvironment()
{
    qputenv("DISPLAY", ":3");
    const char *withOption[] = {"tavlo", "-display", ":7"};
    QCOMPARE(x11DisplayName(3, withOption), QStringLiteral(":7"));
    const char *withoutValue[] = {"tavlo", "-display"};
    QCOMPARE(x11DisplayName(2, withoutValue), QStringLiteral(":3"));
}

QTEST_GUILESS_MAIN(tst_InstanceName)
#include "tst_InstanceName.moc"
