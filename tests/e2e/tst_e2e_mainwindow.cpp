// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on a real desktop with a window manager and a system tray.
#include "DesktopDriver.h"

#include <QTest>

using namespace desktop;

namespace {
const QString MainTitle = QStringLiteral("Tavlo 1.0.8");
} // namespace

class TestMainWindowOnDesktop : public QObject {
    Q_OBJECT

private slots:
    void startsAtBottomRightOnTopWithFocus();
    void cornerPictureOpensFileMenuAndHideShowKeepsText();
    void trayMenuOpensAlsoWhileHidden();
    void alwaysOnTopTogglesWithoutMovingTheWindow();
    void hideAndShowKeepTheSameWindowAfterOnTop_data();
    void hideAndShowKeepTheSameWindowAfterOnTop();
    void clearEmptiesTheEditor();
    void exitFromFileMenuEndsTheProgram();
    void exitFromTrayMenuWhileHiddenEndsTheProgram();
    void closeFromTheFrameEndsTheProgram();

private:
    // The corner picture lies 30 twips (2 px at 96 dpi) inside the editor's bottom-right corner.
    static QPoint cornerPicture(const QString &window)
    {
        const QRect client = clientRect(window);
        return client.bottomRight() - QPoint(8, 8);
    }
    // Tavlo places its window once more when the window manager has framed it: the frame at the
    // screen's right edge, 800 twips above its bottom.
    static bool isAtBottomRight(const QString &window)
    {
        const QSize screen = screenSize();
        const QRect frame = frameRect(window);
        const double gapPixels = 800.0 * 96 / 1440;
        return frame.right() + 1 == screen.width() &&
               qAbs(screen.height() - (frame.bottom() + 1) - gapPixels) < 1.0;
    }
    static bool isAbove(const QString &window)
    {
        return desktop::property(window, QStringLiteral("_NET_WM_STATE"))
            .contains(QLatin1String("_NET_WM_STATE_ABOVE"));
    }
};

void TestMainWindowOnDesktop::startsAtBottomRightOnTopWithFocus()
{
    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    // Tavlo places the window anew once it is framed; where it ends up is checked below.
    waitFor([&] { return isAtBottomRight(tavlo.mainWindow()); });
    const QSize screen = screenSize();
    const QRect frame = frameRect(tavlo.mainWindow());
    const QRect client = clientRect(tavlo.mainWindow());
    screenshot(QStringLiteral("mainwindow-start"));

    QCOMPARE(frame.right() + 1, screen.width());
    const double gapPixels = 800.0 * 96 / 1440;
    QVERIFY2(qAbs(screen.height() - (frame.bottom() + 1) - gapPixels) < 1.0,
             qPrintable(QStringLiteral("bottom gap %1").arg(screen.height() - frame.bottom() - 1)));
    // Inner area 4215 x 3015 twips at 96 dpi.
    QCOMPARE(client.size(), QSize(281, 201));
    QVERIFY(desktop::property(tavlo.mainWindow(), QStringLiteral("_NET_WM_NAME"))
                .contains(QLatin1String("\"Tavlo 1.0.8\"")));
    QVERIFY(isAbove(tavlo.mainWindow()));
    QVERIFY(waitFor([&] { return activeWindow() == tavlo.mainWindow(); }));

    // The caret is in the empty editor: typing lands there.
    type(QStringLiteral("hello"));
    QCOMPARE(copyFocusedText(), QStringLiteral("hello"));
}

void TestMainWindowOnDesktop::cornerPictureOpensFileMenuAndHideShowKeepsText()
{
    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    type(QStringLiteral("kept text"));
    QVERIFY(tavlo.openFileMenu());
    screenshot(QStringLiteral("file-menu"));
    const QRect menu = clientRect(tavlo.visiblePopupMenus().constFirst());
    // The menu opens at the pointer, which is over the corner picture.
    QVERIFY(menu.adjusted(-2, -2, 2, 2).contains(cornerPicture(tavlo.mainWindow())) ||
            menu.bottom() <= cornerPicture(tavlo.mainWindow()).y() + 2);

    QVERIFY(tavlo.pick(QStringLiteral("h")));
    QVERIFY(waitFor([&] { return !isViewable(tavlo.mainWindow()); }));
    QVERIFY(isViewable(tavlo.trayWindow()));
    screenshot(QStringLiteral("hidden-to-tray"));

    click(tavlo.trayWindow(), 1);
    QVERIFY(waitFor([&] { return isViewable(tavlo.mainWindow()); }));
    QVERIFY(
        waitFor([&] { return activeWindow().toULongLong() == tavlo.mainWindow().toULongLong(); }));
    QCOMPARE(copyFocusedText(), QStringLiteral("kept text"));
}

void TestMainWindowOnDesktop::trayMenuOpensAlsoWhileHidden()
{
    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    QVERIFY(tavlo.openTrayMenu());
    screenshot(QStringLiteral("tray-menu"));
    key(QStringLiteral("Escape"));
    QVERIFY(waitFor([&] { return tavlo.visiblePopupMenus().isEmpty(); }));

    QVERIFY(tavlo.openFileMenu());
    QVERIFY(tavlo.pick(QStringLiteral("h")));
    QVERIFY(waitFor([&] { return !isViewable(tavlo.mainWindow()); }));
    QVERIFY(tavlo.openTrayMenu());
    screenshot(QStringLiteral("tray-menu-while-hidden"));
    // "&Open Tavlo" brings the window back.
    QVERIFY(tavlo.pick(QStringLiteral("o")));
    QVERIFY(waitFor([&] { return isViewable(tavlo.mainWindow()); }));
}

void TestMainWindowOnDesktop::alwaysOnTopTogglesWithoutMovingTheWindow()
{
    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    QVERIFY(waitFor([&] { return isAtBottomRight(tavlo.mainWindow()); }));
    const QRect before = frameRect(tavlo.mainWindow());
    QVERIFY(isAbove(tavlo.mainWindow()));

    QVERIFY(tavlo.openTrayMenu());
    QVERIFY(tavlo.pick(QStringLiteral("a")));
    QVERIFY(waitFor([&] { return !isAbove(tavlo.mainWindow()); }));
    QVERIFY(isViewable(tavlo.mainWindow()));
    QCOMPARE(frameRect(tavlo.mainWindow()), before);
    screenshot(QStringLiteral("always-on-top-off"));

    QVERIFY(tavlo.openTrayMenu());
    QVERIFY(tavlo.pick(QStringLiteral("a")));
    QVERIFY(waitFor([&] { return isAbove(tavlo.mainWindow()); }));
    QCOMPARE(frameRect(tavlo.mainWindow()), before);

    // Toggled while hidden: the window stays hidden and comes back in the new state.
    QVERIFY(tavlo.openFileMenu());
    QVERIFY(tavlo.pick(QStringLiteral("h")));
    QVERIFY(waitFor([&] { return !isViewable(tavlo.mainWindow()); }));
    QVERIFY(tavlo.openTrayMenu());
    QVERIFY(tavlo.pick(QStringLiteral("a")));
    // Tavlo handles one thing after another: once it has opened the menu again, it has handled
    // the pick, and would have shown the window then.
    QVERIFY(tavlo.openTrayMenu());
    key(QStringLiteral("Escape"));
    QVERIFY(waitFor([&] { return tavlo.visiblePopupMenus().isEmpty(); }));
    QVERIFY(!isViewable(tavlo.mainWindow()));
    click(tavlo.trayWindow(), 1);
    QVERIFY(waitFor([&] { return activeWindow() == tavlo.mainWindow(); }));
    QVERIFY(!isAbove(tavlo.mainWindow()));
}

void TestMainWindowOnDesktop::hideAndShowKeepTheSameWindowAfterOnTop_data()
{
    QTest::addColumn<int>("toggles");
    QTest::newRow("toggled once") << 1;
    QTest::newRow("toggled twice") << 2;
}

void TestMainWindowOnDesktop::hideAndShowKeepTheSameWindowAfterOnTop()
{
    QFETCH(int, toggles);
    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    const QString window = tavlo.mainWindow();
    QVERIFY(waitFor([&] { return isAtBottomRight(window); }));
    bool above = true;
    for (int i = 0; i < toggles; ++i) {
        QVERIFY(tavlo.openTrayMenu());
        QVERIFY(tavlo.pick(QStringLiteral("a")));
        above = !above;
        QVERIFY(waitFor([&] { return isAbove(window) == above; }));
    }
    const QRect frame = frameRect(window);
    QVERIFY(tavlo.openFileMenu());
    QVERIFY(tavlo.pick(QStringLiteral("h")));
    QVERIFY(waitFor([&] { return !isViewable(window); }));

    click(tavlo.trayWindow(), 1);
    QString shown;
    QVERIFY(waitFor([&] { return !(shown = tavlo.visibleWindowTitled(MainTitle)).isEmpty(); }));
    // The window manager knows it as the window it had: no new task-bar entry, same place.
    QCOMPARE(shown, window);
    QVERIFY(waitFor([&] { return activeWindow() == window; }));
    QVERIFY(waitFor([&] { return frameRect(window) == frame; }));
    QCOMPARE(isAbove(window), above);

    // Another window that takes the focus lies above it only when it is not on top.
    QProcess other;
    other.start(QStringLiteral("xmessage"),
                {QStringLiteral("-title"), QStringLiteral("Other"), QStringLiteral("in front")});
    QString otherWindow;
    QVERIFY(waitFor([&] {
        otherWindow = desktop::visibleWindowTitled(QStringLiteral("Other"));
        return !otherWindow.isEmpty() && activeWindow() == otherWindow;
    }));
    QCOMPARE(isStackedAbove(window, otherWindow), above);
    other.kill();
    other.waitForFinished();

    // The check mark agrees with the state: the next pick flips it.
    QVERIFY(tavlo.openTrayMenu());
    QVERIFY(tavlo.pick(QStringLiteral("a")));
    QVERIFY(waitFor([&] { return isAbove(window) == !above; }));
}

void TestMainWindowOnDesktop::clearEmptiesTheEditor()
{
    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    type(QStringLiteral("to be cleared"));
    QVERIFY(tavlo.openFileMenu());
    QVERIFY(tavlo.pick(QStringLiteral("c")));
    QVERIFY(waitFor([&] { return tavlo.visiblePopupMenus().isEmpty(); }));
    // The focus stays in the editor: new typing is all there is.
    type(QStringLiteral("fresh"));
    QCOMPARE(copyFocusedText(), QStringLiteral("fresh"));
}

void TestMainWindowOnDesktop::exitFromFileMenuEndsTheProgram()
{
    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    type(QStringLiteral("unsaved"));
    QVERIFY(tavlo.openFileMenu());
    QVERIFY(tavlo.pick(QStringLiteral("e")));
    QVERIFY(tavlo.waitForExit());
    QCOMPARE(tavlo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tavlo.exitCode(), 0);
    // The tray icon went with the program.
    QVERIFY(!isViewable(tavlo.trayWindow()));
}

void TestMainWindowOnDesktop::exitFromTrayMenuWhileHiddenEndsTheProgram()
{
    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    QVERIFY(tavlo.openFileMenu());
    QVERIFY(tavlo.pick(QStringLiteral("h")));
    QVERIFY(waitFor([&] { return !isViewable(tavlo.mainWindow()); }));
    QVERIFY(tavlo.openTrayMenu());
    QVERIFY(tavlo.pick(QStringLiteral("e")));
    QVERIFY(tavlo.waitForExit());
    QCOMPARE(tavlo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tavlo.exitCode(), 0);
}

void TestMainWindowOnDesktop::closeFromTheFrameEndsTheProgram()
{
    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    QVERIFY(
        waitFor([&] { return activeWindow().toULongLong() == tavlo.mainWindow().toULongLong(); }));
    // The window manager's own close shortcut: a close request from the frame.
    key(QStringLiteral("alt+F4"));
    QVERIFY(tavlo.waitForExit());
    QCOMPARE(tavlo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tavlo.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestMainWindowOnDesktop)
#include "tst_e2e_mainwindow.moc"
