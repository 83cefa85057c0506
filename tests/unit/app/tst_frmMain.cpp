// SPDX-License-Identifier: GPL-3.0-or-later
// The main window against platform doubles: start-up state, layout, menus and their commands,
// popups, always on top and the tray icon.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include "FakePlatform.h"
#include "app/PictureBox.h"
#include "app/frmMain.h"
#include "platform/Twips.h"
#include "textbox/TextBox.h"
#include "web/onTheWeb.h"

namespace {
enum class Menu { File, Tray, Web };

// Records, with each z-order request, whether "&Always on top" was checked when it was made.
class OrderRecordingHints : public WindowHints {
public:
    void setTopmost(QWidget &window, bool topmost) override
    {
        requested << topmost;
        checkedAtCall << qobject_cast<frmMain *>(&window)->mnuTrayItem(1)->isChecked();
    }
    QList<bool> requested;
    QList<bool> checkedAtCall;
};

PlatformServices servicesWith(FakePlatform &platform, WindowHints *hints)
{
    return {platform.trayIcon,    platform.popupMenus,   hints ? *hints : platform.windowHints,
            platform.fileDialogs, platform.messageBoxes, platform.shell};
}

// A loaded main window on platform doubles, as the program starts it.
struct Loaded {
    explicit Loaded(WindowHints *hints = nullptr)
        : form(servicesWith(platform, hints))
        , unloaded(&form, &frmMain::unloaded)
    {
        form.Form_Load();
    }
    bool show()
    {
        form.show();
        return QTest::qWaitForWindowExposed(&form);
    }
    bool showActive()
    {
        form.show();
        return QTest::qWaitForWindowActive(&form);
    }
    void clickItem(Menu menu, short index)
    {
        if (menu == Menu::File)
            form.mnuFileItem_Click(index);
        else
            form.mnuTrayItem_Click(index);
    }

    FakePlatform platform;
    frmMain form;
    QSignalSpy unloaded;
};

// Everything a command could change, in one comparable list.
QStringList observable(const Loaded &w)
{
    const frmMain &f = w.form;
    const QRect g = f.geometry();
    return {
        QStringLiteral("visible %1 minimized %2").arg(f.isVisible()).arg(f.isMinimized()),
        QStringLiteral("geometry %1,%2 %3x%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height()),
        QStringLiteral("text ") + f.txt().toPlainText(),
        QStringLiteral("file ") + f.txtFile().text(),
        QStringLiteral("file visible %1").arg(f.txtFile().isVisible()),
        QStringLiteral("on top %1").arg(f.mnuTrayItem(1)->isChecked()),
        QStringLiteral("z-order calls %1").arg(w.platform.windowHints.calls.size()),
        QStringLiteral("popups %1").arg(w.platform.popupMenus.calls.size()),
        QStringLiteral("web ") + w.platform.shell.opened.join(u' '),
        QStringLiteral("dialogs %1/%2")
            .arg(w.platform.fileDialogs.openRequests.size())
            .arg(w.platform.fileDialogs.saveRequests.size()),
        QStringLiteral("messages ") +
            (w.platform.messageBoxes.questions + w.platform.messageBoxes.warnings).join(u'|'),
        QStringLiteral("unloaded %1").arg(w.unloaded.count()),
        QStringLiteral("tray %1 ").arg(w.platform.trayIcon.isEnabled()) +
            w.platform.trayIcon.toolTipText()};
}

// Where the corner picture belongs, in pixels: 215x225 twips, its bottom-right corner 30 twips
// inside the editor's. Sizes and margin are rounded on their own so that the gap seen on screen
// is the margin, whatever the pixel density.
QRect expectedPicture(const frmMain &form)
{
    const double dpiX = form.logicalDpiX();
    const double dpiY = form.logicalDpiY();
    const QSize size(twipsToPixels(215, dpiX), twipsToPixels(225, dpiY));
    const QPoint margin(twipsToPixels(30, dpiX), twipsToPixels(30, dpiY));
    const QRect txt = form.txt().geometry();
    const QPoint txtEnd(txt.x() + txt.width(), txt.y() + txt.height());
    return QRect(txtEnd - margin - QPoint(size.width(), size.height()), size);
}

// The offscreen platform cannot raise windows and says so each time the window is brought back.
QtMessageHandler defaultMessageHandler = nullptr;
void dropOffscreenRaiseWarning(QtMsgType type, const QMessageLogContext &context,
                               const QString &message)
{
    if (message != QLatin1String("This plugin does not support raise()"))
        defaultMessageHandler(type, context, message);
}
} // namespace

Q_DECLARE_METATYPE(Menu)

class tst_frmMain : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void startUpState();
    void editorTakesFocusWhenShown();
    void innerSizeAndEditorLook();
    void placedAtBottomRightOfScreen();
    void pictureLiesOverEditorCorner();
    void layoutFollowsResize_data();
    void layoutFollowsResize();

    void menuItems_data();
    void menuItems();

    void idleIndicesDoNothing_data();
    void idleIndicesDoNothing();
    void hideKeepsDocumentAndTray();
    void hideMinimizesWithoutTray();
    void clearEmptiesWithoutAsking();
    void exitUnloadsOnce_data();
    void exitUnloadsOnce();
    void openFromTray_data();
    void openFromTray();

    void clickOpensPopup_data();
    void clickOpensPopup();
    void pictureClickNeedsLeftReleaseOnPicture();
    void pickingFromPopupRunsCommand();

    void alwaysOnTopAsksWindowManagerFirst();
    void alwaysOnTopActionFlipsOnce();
    void alwaysOnTopKeepsWindow();

    void trayIconSwitch();
};

void tst_frmMain::initTestCase()
{
    defaultMessageHandler = qInstallMessageHandler(dropOffscreenRaiseWarning);
}

void tst_frmMain::cleanupTestCase()
{
    qInstallMessageHandler(defaultMessageHandler);
}

void tst_frmMain::startUpState()
{
    Loaded w;
    QCOMPARE(w.form.windowTitle(), QStringLiteral("Tavlo 1.0.8"));
    QCOMPARE(w.platform.trayIcon.toolTipText(), QStringLiteral("Tavlo 1.0.8"));
    QVERIFY(w.form.mnuTrayItem(1)->isCheckable());
    QVERIFY(w.form.mnuTrayItem(1)->isChecked());
    QCOMPARE(w.platform.windowHints.calls, QList<bool>{true});
    QVERIFY(w.form.txtFile().text().isEmpty());
    QVERIFY(w.form.txt().toPlainText().isEmpty());
    QCOMPARE(w.form.txtFile().focusPolicy(), Qt::NoFocus);
    QVERIFY(w.form.findChildren<QMenuBar *>().isEmpty());
    QCOMPARE(w.unloaded.count(), 0);
}

void tst_frmMain::editorTakesFocusWhenShown()
{
    Loaded w;
    QVERIFY(w.showActive());
    QCOMPARE(QApplication::focusWidget(), &w.form.txt());
    QVERIFY(!w.form.txtFile().isVisible());
    // Showing is not a toggle of always on top.
    QCOMPARE(w.platform.windowHints.calls, QList<bool>{true});
    QVERIFY(w.form.mnuTrayItem(1)->isChecked());
    QCOMPARE(w.form.pic().focusPolicy(), Qt::NoFocus);
}

void tst_frmMain::innerSizeAndEditorLook()
{
    Loaded w;
    QVERIFY(w.show());
    const QSize inner(twipsToPixels(4215, w.form.logicalDpiX()),
                      twipsToPixels(3015, w.form.logicalDpiY()));
    QCOMPARE(w.form.size(), inner);
    if (w.form.logicalDpiX() == 96 && w.form.logicalDpiY() == 96)
        QCOMPARE(inner, QSize(281, 201));
    QCOMPARE(w.form.txt().geometry(), QRect(QPoint(0, 0), inner));

    const TextBox &txt = w.form.txt();
    QVERIFY(txt.font().bold());
    QCOMPARE(txt.font().pointSizeF(), 8.25);
}

void tst_frmMain::placedAtBottomRightOfScreen()
{
    Loaded w;
    QVERIFY(w.show());
    const QRect screen = w.form.screen()->geometry();
    const double dpiY = w.form.logicalDpiY();
    // The outer frame's right edge on the screen's, its bottom 800 twips above the screen's.
    QTRY_COMPARE(w.form.frameGeometry().x() + w.form.frameGeometry().width(),
                 screen.x() + screen.width());
    const Twips gap =
        pixelsToTwips(screen.y() + screen.height() -
                          (w.form.frameGeometry().y() + w.form.frameGeometry().height()),
                      dpiY);
    QVERIFY2(qAbs(gap - 800) < pixelsToTwips(1, dpiY), qPrintable(QString::number(gap)));
}

void tst_frmMain::pictureLiesOverEditorCorner()
{
    Loaded w;
    QVERIFY(w.show());
    const QObjectList siblings = w.form.children();
    QVERIFY(siblings.indexOf(&w.form.pic()) > siblings.indexOf(&w.form.txt()));
    QCOMPARE(w.form.childAt(w.form.pic().geometry().center()), &w.form.pic());
    QCOMPARE(w.form.pic().geometry(), expectedPicture(w.form));
}

void tst_frmMain::layoutFollowsResize_data()
{
    QTest::addColumn<QList<QSize>>("sizes");
    QTest::newRow("larger") << QList<QSize>{{600, 450}};
    QTest::newRow("narrow and tall") << QList<QSize>{{120, 400}};
    QTest::newRow("wide and flat") << QList<QSize>{{500, 60}};
    QTest::newRow("smaller than picture, then larger") << QList<QSize>{{10, 8}, {1, 1}, {350, 260}};
}

void tst_frmMain::layoutFollowsResize()
{
    QFETCH(QList<QSize>, sizes);
    Loaded w;
    QVERIFY(w.show());
    for (const QSize &size : sizes) {
        w.form.resize(size);
        QCOMPARE(w.form.size(), size);
        QCOMPARE(w.form.txt().geometry(), QRect(QPoint(0, 0), size));
        QCOMPARE(w.form.pic().geometry(), expectedPicture(w.form));
    }
}

void tst_frmMain::menuItems_data()
{
    QTest::addColumn<Menu>("menu");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("file") << Menu::File
                          << QStringList{"&Hide", "-", "&Clear", "&Open", "&Save", "-", "&Exit"};
    QTest::newRow("tray") << Menu::Tray << QStringList{"&Open Tavlo", "&Always on top", "-",
                                                       "A&bout",      "On the &Web",    "-",
                                                       "&Exit"};
    QTest::newRow("web") << Menu::Web
                         << QStringList{"&Tavlo Homepage",
                                        "&Frequently Asked Questions",
                                        "&Known Bugs",
                                        "Online &Support",
                                        "-",
                                        "&Other Free Stuff",
                                        "Send Feed&back",
                                        "Bug &Report",
                                        "-",
                                        "Marlov Venstad's &Home Page"};
}

void tst_frmMain::menuItems()
{
    QFETCH(Menu, menu);
    QFETCH(QStringList, captions);
    Loaded w;
    const frmMain &f = w.form;
    const auto item = [&](int i) {
        return menu == Menu::File   ? f.mnuFileItem(i)
               : menu == Menu::Tray ? f.mnuTrayItem(i)
                                    : f.mnuTrayItemItem(i);
    };
    QCOMPARE(f.mnuFile().title(), QStringLiteral("&File"));
    QCOMPARE(f.mnuTray().title(), QStringLiteral("&Tray"));
    const QMenu *owner = menu == Menu::File   ? &f.mnuFile()
                         : menu == Menu::Tray ? &f.mnuTray()
                                              : f.mnuTrayItem(4)->menu();
    QVERIFY(owner);

    QList<QAction *> items;
    for (int i = 0; i < captions.size(); ++i) {
        QAction *const action = item(i);
        QVERIFY2(action, qPrintable(QString::number(i)));
        const bool separator = captions[i] == QStringLiteral("-");
        QCOMPARE(action->isSeparator(), separator);
        if (!separator)
            QCOMPARE(action->text(), captions[i]);
        // Only "On the &Web" opens a submenu.
        QCOMPARE(action->menu() != nullptr, menu == Menu::Tray && i == 4);
        items << action;
    }
    QCOMPARE(owner->actions(), items);
    QCOMPARE(item(-1), nullptr);
    QCOMPARE(item(captions.size()), nullptr);
}

void tst_frmMain::idleIndicesDoNothing_data()
{
    QTest::addColumn<Menu>("menu");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("shown");
    const QList<int> file{1, 5, -1, 7, 32767, -32768};
    const QList<int> tray{2, 4, 5, -1, 7, 32767, -32768};
    for (bool shown : {true, false}) {
        const char *state = shown ? "shown" : "hidden";
        for (int index : file)
            QTest::addRow("file %d %s", index, state) << Menu::File << index << shown;
        for (int index : tray)
            QTest::addRow("tray %d %s", index, state) << Menu::Tray << index << shown;
    }
}

void tst_frmMain::idleIndicesDoNothing()
{
    QFETCH(Menu, menu);
    QFETCH(int, index);
    QFETCH(bool, shown);
    Loaded w;
    QVERIFY(w.show());
    w.form.txt().setPlainText(QStringLiteral("draft"));
    w.form.txtFile().setText(QStringLiteral("/tmp/draft.txt"));
    if (!shown)
        w.form.hide();
    const QStringList before = observable(w);
    w.clickItem(menu, short(index));
    QCOMPARE(observable(w), before);
}

void tst_frmMain::hideKeepsDocumentAndTray()
{
    Loaded w;
    QVERIFY(w.show());
    w.form.txt().setPlainText(QStringLiteral("kept"));
    w.form.txtFile().setText(QStringLiteral("/tmp/kept.txt"));
    w.form.mnuFileItem_Click(0);
    QVERIFY(!w.form.isVisible());
    QCOMPARE(w.form.txt().toPlainText(), QStringLiteral("kept"));
    QCOMPARE(w.form.txtFile().text(), QStringLiteral("/tmp/kept.txt"));
    QCOMPARE(w.unloaded.count(), 0);
    QVERIFY(w.platform.trayIcon.isEnabled());
    QCOMPARE(w.platform.trayIcon.toolTipText(), QStringLiteral("Tavlo 1.0.8"));
}

void tst_frmMain::hideMinimizesWithoutTray()
{
    Loaded w;
    w.platform.trayIcon.trayAvailable = false;
    QVERIFY(w.show());
    w.form.mnuFileItem_Click(0);
    QVERIFY(w.form.isVisible());
    QVERIFY(w.form.isMinimized());
}

void tst_frmMain::clearEmptiesWithoutAsking()
{
    Loaded w;
    QVERIFY(w.showActive());
    w.form.txt().setPlainText(QStringLiteral("unsaved words"));
    w.form.txtFile().setText(QStringLiteral("/tmp/notes.txt"));
    w.form.txt().clearFocus();
    QCOMPARE(QApplication::focusWidget(), nullptr);

    w.form.mnuFileItem_Click(2);
    QVERIFY(w.form.txt().toPlainText().isEmpty());
    QVERIFY(w.form.txtFile().text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), &w.form.txt());
    QVERIFY(w.platform.messageBoxes.questions.isEmpty());
    QVERIFY(w.platform.messageBoxes.warnings.isEmpty());
    QVERIFY(w.form.isVisible());
}

void tst_frmMain::exitUnloadsOnce_data()
{
    QTest::addColumn<int>("way");
    QTest::newRow("file menu exit") << 0;
    QTest::newRow("tray menu exit") << 1;
    QTest::newRow("close request") << 2;
}

void tst_frmMain::exitUnloadsOnce()
{
    QFETCH(int, way);
    Loaded w;
    QVERIFY(w.show());
    if (way == 0)
        w.form.mnuFileItem_Click(6);
    else if (way == 1)
        w.form.mnuTrayItem_Click(6);
    else
        QVERIFY(w.form.close());
    QCOMPARE(w.unloaded.count(), 1);
    QVERIFY(!w.form.isVisible());

    // The program is already ending; a second request does not end it again.
    w.form.mnuTrayItem_Click(6);
    QCOMPARE(w.unloaded.count(), 1);
}

void tst_frmMain::openFromTray_data()
{
    QTest::addColumn<bool>("byMenu");
    QTest::addColumn<QString>("start");
    for (bool byMenu : {true, false}) {
        for (const char *start : {"hidden", "minimized", "shown"})
            QTest::addRow("%s %s", byMenu ? "menu" : "left click", start)
                << byMenu << QString::fromLatin1(start);
    }
}

void tst_frmMain::openFromTray()
{
    QFETCH(bool, byMenu);
    QFETCH(QString, start);
    Loaded w;
    QVERIFY(w.show());
    w.form.txt().setPlainText(QStringLiteral("still here"));
    w.form.txtFile().setText(QStringLiteral("/tmp/here.txt"));
    const QStringList shownState = observable(w);
    if (start == QStringLiteral("hidden"))
        w.form.hide();
    else if (start == QStringLiteral("minimized"))
        w.form.showMinimized();

    if (byMenu)
        w.form.mnuTrayItem_Click(0);
    else
        w.platform.trayIcon.clickLeft();

    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    QCOMPARE(observable(w), shownState);
}

void tst_frmMain::clickOpensPopup_data()
{
    QTest::addColumn<bool>("onPicture");
    QTest::addColumn<bool>("shown");
    QTest::newRow("picture") << true << true;
    QTest::newRow("tray icon, window shown") << false << true;
    QTest::newRow("tray icon, window hidden") << false << false;
}

void tst_frmMain::clickOpensPopup()
{
    QFETCH(bool, onPicture);
    QFETCH(bool, shown);
    Loaded w;
    QVERIFY(w.show());
    if (!shown)
        w.form.hide();
    if (onPicture)
        QTest::mouseClick(&w.form.pic(), Qt::LeftButton);
    else
        w.platform.trayIcon.clickRight();
    const QList<FakePopupMenus::Call> &calls = w.platform.popupMenus.calls;
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].menu, onPicture ? &w.form.mnuFile() : &w.form.mnuTray());
    QCOMPARE(calls[0].defaultItem, onPicture ? w.form.mnuFileItem(0) : w.form.mnuTrayItem(0));
    QCOMPARE(w.form.isVisible(), shown);
}

void tst_frmMain::pictureClickNeedsLeftReleaseOnPicture()
{
    Loaded w;
    QVERIFY(w.show());
    PictureBox &pic = w.form.pic();
    QTest::mousePress(&pic, Qt::LeftButton, {}, pic.rect().center());
    QTest::mouseRelease(&pic, Qt::LeftButton, {}, pic.rect().bottomRight() + QPoint(5, 5));
    QTest::mouseClick(&pic, Qt::RightButton);
    QTest::mouseClick(&pic, Qt::MiddleButton);
    QVERIFY(w.platform.popupMenus.calls.isEmpty());
}

void tst_frmMain::pickingFromPopupRunsCommand()
{
    Loaded w;
    QVERIFY(w.show());
    FakePopupMenus &popups = w.platform.popupMenus;
    const auto pick = [&popups](int index) {
        popups.onPopup = [index](QMenu &menu) {
            menu.actions().at(index)->trigger();
        };
    };

    w.form.txt().setPlainText(QStringLiteral("words"));
    pick(2);
    QTest::mouseClick(&w.form.pic(), Qt::LeftButton);
    QVERIFY(w.form.txt().toPlainText().isEmpty());

    pick(0);
    QTest::mouseClick(&w.form.pic(), Qt::LeftButton);
    QVERIFY(!w.form.isVisible());

    pick(1);
    w.platform.trayIcon.clickRight();
    QVERIFY(!w.form.mnuTrayItem(1)->isChecked());
    QCOMPARE(w.platform.windowHints.calls, (QList<bool>{true, false}));

    pick(0);
    w.platform.trayIcon.clickRight();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));

    popups.onPopup = [](QMenu &menu) {
        menu.actions().at(4)->menu()->actions().at(0)->trigger();
    };
    w.platform.trayIcon.clickRight();
    QCOMPARE(w.platform.shell.opened, QStringList{*webAddress(0)});

    pick(6);
    w.platform.trayIcon.clickRight();
    QCOMPARE(w.unloaded.count(), 1);
    QCOMPARE(popups.calls.size(), 6);
}

void tst_frmMain::alwaysOnTopAsksWindowManagerFirst()
{
    OrderRecordingHints hints;
    Loaded w(&hints);
    for (int i = 0; i < 3; ++i)
        w.form.mnuTrayItem_Click(1);
    QCOMPARE(hints.requested, (QList<bool>{true, false, true, false}));
    // Each request is made while the check mark still shows the old state.
    QCOMPARE(hints.checkedAtCall, (QList<bool>{false, true, false, true}));
    QVERIFY(!w.form.mnuTrayItem(1)->isChecked());
}

void tst_frmMain::alwaysOnTopActionFlipsOnce()
{
    Loaded w;
    QAction *const onTop = w.form.mnuTrayItem(1);
    onTop->trigger();
    QVERIFY(!onTop->isChecked());
    QCOMPARE(w.platform.windowHints.calls, (QList<bool>{true, false}));
    onTop->trigger();
    QVERIFY(onTop->isChecked());
    QCOMPARE(w.platform.windowHints.calls, (QList<bool>{true, false, true}));
}

void tst_frmMain::alwaysOnTopKeepsWindow()
{
    Loaded w;
    QVERIFY(w.show());
    const QRect geometry = w.form.geometry();
    w.form.mnuTrayItem_Click(1);
    QVERIFY(w.form.isVisible());
    QCOMPARE(w.form.geometry(), geometry);

    w.form.hide();
    w.form.mnuTrayItem_Click(1);
    QVERIFY(!w.form.isVisible());
    QVERIFY(w.form.mnuTrayItem(1)->isChecked());
    QCOMPARE(w.platform.windowHints.calls, (QList<bool>{true, false, true}));
}

void tst_frmMain::trayIconSwitch()
{
    Loaded w;
    w.form.trayIcon().setEnabled(false);
    w.platform.trayIcon.clickLeft();
    w.platform.trayIcon.clickRight();
    QVERIFY(!w.form.isVisible());
    QVERIFY(w.platform.popupMenus.calls.isEmpty());

    w.form.trayIcon().setEnabled(true);
    w.platform.trayIcon.clickRight();
    QCOMPARE(w.platform.popupMenus.calls.size(), 1);
    w.platform.trayIcon.clickLeft();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
