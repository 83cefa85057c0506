// SPDX-License-Identifier: GPL-3.0-or-later
// The name of the one Tavlo of a display, on a private session bus (run through
// with-session-bus.sh): taken by the first start, given up at Exit.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTest>

#include "platform/desktop/SingleInstance.h"

#include <unistd.h>

class tst_SingleInstance : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void releaseGivesTheNameUp();
};

void tst_SingleInstance::initTestCase()
{
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    QVERIFY2(!address.isEmpty() && address == qEnvironmentVariable("TAVLO_TEST_PRIVATE_BUS"),
             "run through with-session-bus.sh");
}

void tst_SingleInstance::releaseGivesTheNameUp()
{
    const QString name = QStringLiteral("example.tavlo.Tavlo.test_%1").arg(::getpid());
    QDBusConnectionInterface *const bus = QDBusConnection::sessionBus().interface();
    SingleInstance instance;
    QCOMPARE(instance.claim(name), SingleInstance::Claim::Run);
    QVERIFY(bus->isServiceRegistered(name));

    instance.release();
    QVERIFY(!bus->isServiceRegistered(name));
    QVERIFY(QDBusConnection::sessionBus().objectRegisteredAt(
                QStringLiteral("/example/tavlo/Tavlo")) == nullptr);
    // The next start takes the name as the first one did.
    SingleInstance next;
    QCOMPARE(next.claim(name), SingleInstance::Claim::Run);
    QVERIFY(bus->isServiceRegistered(name));
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_SingleInstance.moc"
