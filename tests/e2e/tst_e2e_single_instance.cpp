// SPDX-License-Identifier: GPL-3.0-or-later
// Starting Tavlo while it runs, on a desktop with a private session bus: the running Tavlo of the
// display comes forward and the new start ends, leaving one window and one tray icon.
#include "DesktopDriver.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTest>

#include <csignal>

using namespace desktop;

namespace {

// A start that is expected to end by itself.
class TavloStart : public TavloProgram {
public:
    bool start()
    {
        m_process.start();
        return m_process.waitForStarted();
    }
};

// The mapped windows of every program on the display with Tavlo's window class.
QStringList visibleTavloWindows()
{
    return run(QStringLiteral("xdotool"),
               {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                QStringLiteral("--class"), QStringLiteral("tavlo")})
        .split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void secondStartShowsTheHiddenWindowAndEnds();
    void secondStartBringsBackTheOpenAbout();
    void startAfterACrashRuns();

private:
    QDBusConnection m_bus = QDBusConnection(QString());
};

void TestSingleInstance::initTestCase()
{
    // Only ever the bus of with-session-bus.sh, never a desktop session's.
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    QVERIFY2(!address.isEmpty() && address == qEnvironmentVariable("TAVLO_TEST_PRIVATE_BUS"),
             "run through with-session-bus.sh");
    m_bus = QDBusConnection::sessionBus();
    QVERIFY2(m_bus.isConnected(), qPrintable(m_bus.lastError().message()));
}

void TestSingleInstance::secondStartShowsTheHiddenWindowAndEnds()
{
    TavloProcess first;
    QVERIFY(first.start());
    type(QStringLiteral("the only note"));
    const QString window = first.mainWindow();
    QVERIFY(first.openFileMenu());
    QVERIFY(first.pick(QStringLiteral("h")));
    QVERIFY(waitFor([&] { return !isViewable(window); }));

    TavloStart second;
    QVERIFY(second.start());
    QVERIFY2(second.waitForExit(15000), "the second start is still running");
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);

    QVERIFY(waitFor([&] { return isViewable(first.mainWindow()); }));
    QVERIFY(waitFor([&] { return activeWindow() == first.mainWindow(); }));
    screenshot(QStringLiteral("shown-by-second-start"));
    QCOMPARE(first.embeddedWindows().size(), 1);
    const QStringList own = first.windows();
    for (const QString &shown : visibleTavloWindows())
        QVERIFY2(own.contains(shown), "a window of another Tavlo is on the screen");
    // The window that came forward holds the note typed before it was hidden.
    QCOMPARE(copyFocusedText(), QStringLiteral("the only note"));
}

void TestSingleInstance::secondStartBringsBackTheOpenAbout()
{
    TavloProcess first;
    QVERIFY(first.start());
    const QString window = first.mainWindow();
    QVERIFY(first.openFileMenu());
    QVERIFY(first.pick(QStringLiteral("h")));
    QVERIFY(waitFor([&] { return !isViewable(window); }));
    QVERIFY(first.openTrayMenu());
    QVERIFY(first.pick(QStringLiteral("b")));
    QString about;
    QVERIFY(waitFor([&] {
        about = activeWindow();
        return first.windows().contains(about) &&
               desktop::property(about, QStringLiteral("WM_NAME")).contains(QLatin1String("About"));
    }));
    // Out of sight, as when the user turned to another program.
    run(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), about});
    QVERIFY(waitFor([&] { return !isViewable(about); }));

    TavloStart second;
    QVERIFY(second.start());
    QVERIFY2(second.waitForExit(15000), "the second start is still running");
    QVERIFY(waitFor([&] { return isViewable(about) && activeWindow() == about; }));
    screenshot(QStringLiteral("about-brought-back-by-second-start"));
    QVERIFY(!isViewable(window));
}

void TestSingleInstance::startAfterACrashRuns()
{
    // Other programs find Tavlo by this name, so the test spells it out.
    const QString name =
        QStringLiteral("example.tavlo.Tavlo.x11_") + qEnvironmentVariable("DISPLAY").mid(1);
    const auto owner = [&] {
        return qint64(m_bus.interface()->servicePid(name).value());
    };
    TavloProcess crashed;
    QVERIFY(crashed.start());
    QCOMPARE(owner(), crashed.pid());
    // SIGKILL leaves the program no chance to give anything back.
    ::kill(static_cast<pid_t>(crashed.pid()), SIGKILL);
    QVERIFY(crashed.waitForExit());

    TavloProcess next;
    QVERIFY(next.start());
    QCOMPARE(owner(), next.pid());
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_e2e_single_instance.moc"
