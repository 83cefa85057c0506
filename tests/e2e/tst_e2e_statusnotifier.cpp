// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on a desktop whose panel shows StatusNotifierItems: on a private session bus
// the test is the panel, with a watcher of its own, and clicks the item over D-Bus as a panel does.
#include "DesktopDriver.h"
#include "StatusNotifierWatcher.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QRegularExpression>
#include <QTest>

#include <memory>

using namespace desktop;

namespace {

const QString MainTitle = QStringLiteral("Tavlo 1.0.8");
const QString AboutTitle = QStringLiteral("About Tavlo1.0.8");

// Tavlo with the D-Bus tray: there is no XEmbed icon window, so TavloProcess, which waits for
// one, does not fit.
class TavloOnBus : public TavloProgram {
public:
    bool start()
    {
        m_process.start();
        if (!m_process.waitForStarted())
            return false;
        // Shown once the window manager has framed the window and Tavlo has placed it anew, the
        // frame at the screen's right edge.
        const bool shown = waitFor(
            [&] {
                if (m_process.state() != QProcess::Running)
                    return true;
                const QString window = visibleWindowTitled(MainTitle);
                return !window.isEmpty() && frameExtents(window) != QList<int>{0, 0, 0, 0} &&
                       frameRect(window).right() + 1 == screenSize().width();
            },
            15000);
        if (!shown || m_process.state() != QProcess::Running) {
            qWarning() << "tavlo did not show its window; windows" << windows() << "window manager"
                       << run(QStringLiteral("xprop"),
                              {QStringLiteral("-root"),
                               QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
            return false;
        }
        return true;
    }
    bool mainWindowVisible() const { return !visibleWindowTitled(MainTitle).isEmpty(); }
    QString mainWindow() const { return visibleWindowTitled(MainTitle); }
    QString aboutWindow() const { return visibleWindowTitled(AboutTitle); }

    // Popup menus are the program's mapped override-redirect windows.
    QStringList visiblePopupMenus() const
    {
        QStringList menus;
        for (const QString &window : windows()) {
            const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
            if (info.contains(QLatin1String("IsViewable")) &&
                info.contains(QLatin1String("Override Redirect State: yes")))
                menus << window;
        }
        return menus;
    }
};

} // namespace

class TestStatusNotifierItem : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void registersItemWithToolTipAndIcon();
    void activateShowsTheHiddenWindow();
    void contextMenuOpensTheTrayMenu();
    void aboutBoxSwitchesTheItemOff();
    void exitFromContextMenuEndsTheProgram();

private:
    // Starts Tavlo and waits for the item it registers with the watcher.
    bool startWithItem(TavloOnBus &tavlo, StatusNotifierWatcher::Item &item);
    // A panel sends the pointer's position; Tavlo opens its menu at the pointer anyway.
    void sendClick(const StatusNotifierWatcher::Item &item, const QString &method)
    {
        sendToStatusNotifierItem(m_bus, item, method, 1200, 790);
    }
    static bool hideToTray(TavloOnBus &tavlo);
    bool openTrayMenu(TavloOnBus &tavlo, const StatusNotifierWatcher::Item &item);
    // Picks a menu item by its access key and waits for the menu to close.
    static bool pick(TavloOnBus &tavlo, const QString &accessKey)
    {
        key(accessKey);
        const bool closed = waitFor([&] { return tavlo.visiblePopupMenus().isEmpty(); });
        // Qt ignores a press that comes within moments of a popup closing.
        QTest::qWait(300);
        return closed;
    }

    QDBusConnection m_bus = QDBusConnection(QString());
    std::unique_ptr<StatusNotifierWatcher> m_watcher;
};

void TestStatusNotifierItem::initTestCase()
{
    // Only ever the bus of with-session-bus.sh, never a desktop session's.
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    QVERIFY2(!address.isEmpty() && address == qEnvironmentVariable("TAVLO_TEST_PRIVATE_BUS"),
             "run through with-session-bus.sh");
    m_bus = QDBusConnection::sessionBus();
    QVERIFY2(m_bus.isConnected(), qPrintable(m_bus.lastError().message()));
    m_watcher = std::make_unique<StatusNotifierWatcher>(m_bus);
    QVERIFY(m_watcher->start());
}

bool TestStatusNotifierItem::startWithItem(TavloOnBus &tavlo, StatusNotifierWatcher::Item &item)
{
    if (!tavlo.start()) {
        qWarning() << "tavlo did not show its window";
        return false;
    }
    const bool registered = waitFor([&] {
        for (const StatusNotifierWatcher::Item &candidate : m_watcher->items()) {
            if (m_bus.interface()->servicePid(candidate.service).value() == tavlo.pid()) {
                item = candidate;
                return true;
            }
        }
        return false;
    });
    if (!registered)
        qWarning() << "tavlo registered no item; items" << m_watcher->items().size();
    return registered;
}

bool TestStatusNotifierItem::hideToTray(TavloOnBus &tavlo)
{
    // The File menu from the corner picture, 2 px inside the editor's bottom-right corner.
    clickAt(clientRect(tavlo.mainWindow()).bottomRight() - QPoint(8, 8));
    if (!waitFor([&] { return !tavlo.visiblePopupMenus().isEmpty(); })) {
        qWarning() << "the File menu did not open";
        return false;
    }
    if (!pick(tavlo, QStringLiteral("h"))) {
        qWarning() << "the File menu did not close";
        return false;
    }
    return waitFor([&] { return !tavlo.mainWindowVisible(); });
}

bool TestStatusNotifierItem::openTrayMenu(TavloOnBus &tavlo,
                                          const StatusNotifierWatcher::Item &item)
{
    sendClick(item, QStringLiteral("ContextMenu"));
    return waitFor([&] { return !tavlo.visiblePopupMenus().isEmpty(); });
}

void TestStatusNotifierItem::registersItemWithToolTipAndIcon()
{
    TavloOnBus tavlo;
    StatusNotifierWatcher::Item item;
    QVERIFY(startWithItem(tavlo, item));
    QCOMPARE(m_watcher->items().size(), 1);

    const StatusNotifierItemState state = readStatusNotifierItem(m_bus, item);
    QVERIFY(state.valid);
    QCOMPARE(state.toolTipTitle, MainTitle);
    QCOMPARE(state.id, QStringLiteral("tavlo"));
    QCOMPARE(state.status, QStringLiteral("Active"));
    QVERIFY2(!state.iconName.isEmpty() || !state.iconPixmapSizes.isEmpty(), "no icon");
    QVERIFY(!state.iconPixmapMalformed);
    // A panel sends Activate for a plain click and ContextMenu for a right click.
    QVERIFY(!state.itemIsMenu);
    // With the D-Bus tray in use Qt makes no XEmbed icon as well.
    QVERIFY(tavlo.embeddedWindows().isEmpty());
    screenshot(QStringLiteral("statusnotifier-start"));
}

void TestStatusNotifierItem::activateShowsTheHiddenWindow()
{
    TavloOnBus tavlo;
    StatusNotifierWatcher::Item item;
    QVERIFY(startWithItem(tavlo, item));
    QVERIFY(hideToTray(tavlo));

    sendClick(item, QStringLiteral("Activate"));
    QVERIFY(waitFor([&] { return tavlo.mainWindowVisible(); }));
    QVERIFY(
        waitFor([&] { return activeWindow().toULongLong() == tavlo.mainWindow().toULongLong(); }));
}

void TestStatusNotifierItem::contextMenuOpensTheTrayMenu()
{
    TavloOnBus tavlo;
    StatusNotifierWatcher::Item item;
    QVERIFY(startWithItem(tavlo, item));
    QVERIFY(openTrayMenu(tavlo, item));
    screenshot(QStringLiteral("statusnotifier-tray-menu"));
    key(QStringLiteral("Escape"));
    QVERIFY(waitFor([&] { return tavlo.visiblePopupMenus().isEmpty(); }));
    QVERIFY(tavlo.mainWindowVisible());

    // While hidden too; "&Open Tavlo", an item only the Tray menu has, brings the window back.
    QTest::qWait(300);
    QVERIFY(hideToTray(tavlo));
    QVERIFY(openTrayMenu(tavlo, item));
    QVERIFY(pick(tavlo, QStringLiteral("o")));
    QVERIFY(waitFor([&] { return tavlo.mainWindowVisible(); }));
}

void TestStatusNotifierItem::aboutBoxSwitchesTheItemOff()
{
    TavloOnBus tavlo;
    StatusNotifierWatcher::Item item;
    QVERIFY(startWithItem(tavlo, item));
    QVERIFY(hideToTray(tavlo));
    QVERIFY(openTrayMenu(tavlo, item));
    QVERIFY(pick(tavlo, QStringLiteral("b")));
    QVERIFY(waitFor([&] { return !tavlo.aboutWindow().isEmpty(); }));
    const QString about = tavlo.aboutWindow();
    QVERIFY(waitFor([&] { return activeWindow().toULongLong() == about.toULongLong(); }));
    screenshot(QStringLiteral("statusnotifier-about"));
    QVERIFY(!tavlo.mainWindowVisible());

    // Unlike a click on an XEmbed icon, a D-Bus call is not held back by the modal box: only
    // Tavlo's own switch keeps it from acting.
    sendClick(item, QStringLiteral("Activate"));
    QVERIFY(!waitFor([&] { return tavlo.mainWindowVisible(); }, 1000));
    sendClick(item, QStringLiteral("ContextMenu"));
    QVERIFY(!waitFor([&] { return !tavlo.visiblePopupMenus().isEmpty(); }, 1000));
    QVERIFY(!tavlo.aboutWindow().isEmpty());

    QVERIFY(waitFor([&] { return activeWindow().toULongLong() == about.toULongLong(); }));
    key(QStringLiteral("alt+o"));
    QVERIFY(waitFor([&] { return tavlo.aboutWindow().isEmpty(); }));
    QVERIFY(!tavlo.mainWindowVisible());

    sendClick(item, QStringLiteral("Activate"));
    QVERIFY(waitFor([&] { return tavlo.mainWindowVisible(); }));
}

void TestStatusNotifierItem::exitFromContextMenuEndsTheProgram()
{
    TavloOnBus tavlo;
    StatusNotifierWatcher::Item item;
    QVERIFY(startWithItem(tavlo, item));
    QVERIFY(hideToTray(tavlo));
    QVERIFY(openTrayMenu(tavlo, item));
    key(QStringLiteral("e"));
    QVERIFY(tavlo.waitForExit());
    QCOMPARE(tavlo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tavlo.exitCode(), 0);
    // The item went with the program.
    QVERIFY(waitFor([&] { return m_watcher->items().isEmpty(); }));
}

QTEST_GUILESS_MAIN(TestStatusNotifierItem)
#include "tst_e2e_statusnotifier.moc"
