// SPDX-License-Identifier: GPL-3.0-or-later
// The real program started on a desktop whose system tray comes only later, as when a panel
// starts after the programs of a session. with-desktop.sh, told by TAVLO_TEST_TRAY_LATER=1, leaves
// the window manager with its tray to the test.
#include "DesktopDriver.h"

#include <QRegularExpression>
#include <QTest>

using namespace desktop;

namespace {

const QString MainTitle = QStringLiteral("Tavlo 1.0.8");

// Tavlo on a desktop without a tray: TavloProcess, which waits for the tray icon and the window
// manager's frame, does not fit.
class TavloWithoutTray : public TavloProgram {
public:
    bool start()
    {
        m_process.start();
        const bool shown = m_process.waitForStarted() &&
                           waitFor([this] { return !isRunning() || mainWindowVisible(); }, 15000) &&
                           isRunning();
        if (!shown)
            qWarning() << "tavlo did not show its window; windows" << windows();
        return shown;
    }
    // By exact title; Qt may give the window a new native window while it is hidden.
    QString mainWindow() const { return visibleWindowTitled(MainTitle); }
    bool mainWindowVisible() const { return !mainWindow().isEmpty(); }

    // Popup menus are the program's mapped override-redirect windows that are children of the
    // root; the embedded tray icon is override-redirect too.
    QStringList visiblePopupMenus() const
    {
        const QStringList embedded = embeddedWindows();
        QStringList menus;
        for (const QString &window : windows()) {
            const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
            if (!embedded.contains(window) && info.contains(QLatin1String("IsViewable")) &&
                info.contains(QLatin1String("Override Redirect State: yes")))
                menus << window;
        }
        return menus;
    }
};

bool windowManagerRunning()
{
    return run(QStringLiteral("xprop"),
               {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
        .contains(QLatin1String("window id"));
}

// Waits until the window stays where it is: the window manager lays out its toolbar and frames
// after it starts.
bool settles(const QString &window)
{
    QRect last;
    return waitFor([&] {
        const QRect now = clientRect(window);
        const bool settled = now == last;
        last = now;
        QTest::qWait(100);
        return settled;
    });
}

} // namespace

class TestLateTray : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void iconIsEmbeddedOnceTheTrayAppears();
    void cleanupTestCase();

private:
    // Picks a menu item by its access key and waits for the menu to close.
    static bool pick(TavloWithoutTray &tavlo, const QString &accessKey)
    {
        key(accessKey);
        const bool closed = waitFor([&] { return tavlo.visiblePopupMenus().isEmpty(); });
        // Qt ignores a press that comes within moments of a popup closing.
        QTest::qWait(300);
        return closed;
    }

    QProcess m_windowManager;
    QProcess m_displayHolder;
};

void TestLateTray::initTestCase()
{
    QVERIFY2(qEnvironmentVariableIsSet("TAVLO_TEST_START_WM"),
             "run through with-desktop.sh with TAVLO_TEST_TRAY_LATER=1");
    QVERIFY(!windowManagerRunning());
    // With no window manager connected, the X server resets each time its last client leaves,
    // and a program connecting meanwhile is turned away; a client that stays prevents that.
    m_displayHolder.setProgram(QStringLiteral("xprop"));
    m_displayHolder.setArguments({QStringLiteral("-root"), QStringLiteral("-spy"),
                                  QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
    QVERIFY(waitFor([&] {
        if (m_displayHolder.state() == QProcess::NotRunning) {
            m_displayHolder.start();
            m_displayHolder.waitForStarted();
        }
        // It prints the property once connected.
        return m_displayHolder.waitForReadyRead(200);
    }));
}

void TestLateTray::iconIsEmbeddedOnceTheTrayAppears()
{
    TavloWithoutTray tavlo;
    QVERIFY(tavlo.start());
    // Moments for an icon to appear, were there anything to embed it into.
    QTest::qWait(500);
    QVERIFY(tavlo.isRunning());
    QVERIFY(tavlo.embeddedWindows().isEmpty());
    screenshot(QStringLiteral("late-tray-before"));

    m_windowManager.setProgram(qEnvironmentVariable("TAVLO_TEST_START_WM"));
    m_windowManager.start();
    QVERIFY(m_windowManager.waitForStarted());
    QVERIFY(waitFor(windowManagerRunning));

    QStringList icons;
    QVERIFY(waitFor(
        [&] {
            icons = tavlo.embeddedWindows();
            return !icons.isEmpty();
        },
        10000));
    QCOMPARE(icons.size(), 1);
    const QString icon = icons.constFirst();
    QVERIFY(settles(icon));
    screenshot(QStringLiteral("late-tray-embedded"));

    // The icon works as it does when the tray was there first.
    click(icon, 3);
    QVERIFY(waitFor([&] { return !tavlo.visiblePopupMenus().isEmpty(); }));
    screenshot(QStringLiteral("late-tray-menu"));
    key(QStringLiteral("Escape"));
    QVERIFY(waitFor([&] { return tavlo.visiblePopupMenus().isEmpty(); }));
    QTest::qWait(300);

    // The tray now being there, hiding hides rather than minimizes, and the icon brings the window
    // back: through "&Open Tavlo" of its menu, and by a plain click.
    const QString window = tavlo.mainWindow();
    QVERIFY(settles(window));
    clickAt(clientRect(window).bottomRight() - QPoint(8, 8));
    QVERIFY(waitFor([&] { return !tavlo.visiblePopupMenus().isEmpty(); }));
    QVERIFY(pick(tavlo, QStringLiteral("h")));
    QVERIFY(waitFor([&] { return !tavlo.mainWindowVisible(); }));
    // A minimized window would be iconic; a hidden one is withdrawn.
    QVERIFY(
        !desktop::property(window, QStringLiteral("WM_STATE")).contains(QLatin1String("Iconic")));
    click(icon, 3);
    QVERIFY(waitFor([&] { return !tavlo.visiblePopupMenus().isEmpty(); }));
    QVERIFY(pick(tavlo, QStringLiteral("o")));
    QVERIFY(waitFor([&] { return tavlo.mainWindowVisible(); }));

    clickAt(clientRect(tavlo.mainWindow()).bottomRight() - QPoint(8, 8));
    QVERIFY(waitFor([&] { return !tavlo.visiblePopupMenus().isEmpty(); }));
    QVERIFY(pick(tavlo, QStringLiteral("h")));
    QVERIFY(waitFor([&] { return !tavlo.mainWindowVisible(); }));
    click(icon, 1);
    QVERIFY(waitFor([&] { return tavlo.mainWindowVisible(); }));

    click(icon, 3);
    QVERIFY(waitFor([&] { return !tavlo.visiblePopupMenus().isEmpty(); }));
    QVERIFY(pick(tavlo, QStringLiteral("e")));
    QVERIFY(tavlo.waitForExit());
    QCOMPARE(tavlo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tavlo.exitCode(), 0);
}

void TestLateTray::cleanupTestCase()
{
    for (QProcess *process : {&m_windowManager, &m_displayHolder}) {
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(3000))
                process->kill();
        }
    }
}

QTEST_GUILESS_MAIN(TestLateTray)
#include "tst_e2e_late_tray.moc"
