// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

#include "FakePlatform.h"
#include "about/frmAbout.h"
#include "app/MenuDesign.h"
#include "app/frmMain.h"
#include "buildinfo.h"
#include "platform/AppVersion.h"

using namespace MenuDesign;

namespace {

QString page(const char *path)
{
    return QStringLiteral(TAVLO_WEB_BASE) + QLatin1String(path);
}

// What happened around one modal run of the About box.
struct AboutRun {
    bool opened = false;
    QString title;
    // The box did not close by itself and was closed by the safety net.
    bool closedByFallback = false;
};

// Runs `open`, which is expected to show the About box modally and return once it is closed.
// While the box is open `whileOpen` gets it and must close it; a safety net closes it after a
// few seconds so that a box that stays open fails the test instead of hanging it.
AboutRun runAbout(const std::function<void()> &open,
                  const std::function<void(frmAbout &)> &whileOpen)
{
    AboutRun run;
    QObject guard;
    QTimer::singleShot(0, &guard, [&] {
        if (!QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 3000))
            return;
        auto *box = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        run.opened = true;
        run.title = box->windowTitle();
        // Keys and clicks reach the box only once it has been activated.
        if (!QTest::qWaitForWindowActive(box))
            qWarning("The About box did not become active");
        whileOpen(*box);
    });
    QTimer::singleShot(5000, &guard, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            run.closedByFallback = true;
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->done(QDialog::Rejected);
            else
                modal->close();
        }
    });
    open();
    return run;
}

} // namespace

class tst_frmMainWeb : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void eachEntryOpensItsPage_data();
    void eachEntryOpensItsPage();
    void separatorsAndUnknownIndicesOpenNothing_data();
    void separatorsAndUnknownIndicesOpenNothing();
    void sameEntryTwiceOpensTwice_data();
    void sameEntryTwiceOpensTwice();
    void hiddenWindowStaysHiddenWhileOpeningPages();

    void aboutTurnsTheTrayOffWhileOpen_data();
    void aboutTurnsTheTrayOffWhileOpen();
    void aboutOpenedWhileShownLeavesTheWindowShown();
    void unloadClosesTheOpenAbout_data();
    void unloadClosesTheOpenAbout();
    void bringingForwardRaisesTheOpenAbout_data();
    void bringingForwardRaisesTheOpenAbout();

private:
    enum Pick { Command, MenuAction };
    void pickWebEntry(int index, Pick how);
    void hideMainWindow();

    FakePlatform *m_platform = nullptr;
    frmMain *m_form = nullptr;
};

void tst_frmMainWeb::init()
{
    m_platform = new FakePlatform;
    m_form = new frmMain(m_platform->services());
    m_form->Form_Load();
}

void tst_frmMainWeb::cleanup()
{
    delete m_form;
    m_form = nullptr;
    delete m_platform;
    m_platform = nullptr;
}

void tst_frmMainWeb::pickWebEntry(int index, Pick how)
{
    if (how == Command) {
        m_form->mnuTrayItemItem_Click(static_cast<short>(index));
        return;
    }
    // The action a pick in the real submenu triggers: the submenu's own entry at that index.
    QMenu *const submenu = m_form->mnuTrayItem(TrayOnTheWeb)->menu();
    QVERIFY(submenu != nullptr);
    QCOMPARE(submenu->actions().size(), 10);
    QAction *const item = submenu->actions().at(index);
    QCOMPARE(item, m_form->mnuTrayItemItem(index));
    item->trigger();
}

void tst_frmMainWeb::hideMainWindow()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    m_form->mnuFileItem_Click(FileHide);
    QVERIFY(m_form->isHidden());
}

void tst_frmMainWeb::eachEntryOpensItsPage_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("address");

    const std::pair<int, const char *> pages[] = {
        {0, "/marlov/SOFTWARE/sftTavlo.html"},      {1, "/marlov/SOFTWARE/sftTavlo-FAQ.html"},
        {2, "/marlov/SOFTWARE/sftTavlo-Bugs.html"}, {3, "/marlov/SOFTWARE/support.html"},
        {5, "/marlov/SOFTWARE/index.html"},         {6, "/marlov/SOFTWARE/feedback.html"},
        {7, "/marlov/SOFTWARE/bugreport.html"},     {9, "/marlov/index.html"},
    };
    for (const auto &[index, path] : pages) {
        QTest::addRow("%d command", index) << index << int(Command) << page(path);
        QTest::addRow("%d menu action", index) << index << int(MenuAction) << page(path);
    }
}

void tst_frmMainWeb::eachEntryOpensItsPage()
{
    QFETCH(int, index);
    QFETCH(int, how);
    QFETCH(QString, address);

    pickWebEntry(index, Pick(how));
    QCOMPARE(m_platform->shell.opened, QStringList{address});
}

void tst_frmMainWeb::separatorsAndUnknownIndicesOpenNothing_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("how");

    for (int index : {4, 8}) {
        QTest::addRow("%d command", index) << index << int(Command);
        QTest::addRow("%d menu action", index) << index << int(MenuAction);
    }
    for (int index : {-1, 10, 32767, -32768})
        QTest::addRow("%d command", index) << index << int(Command);
}

void tst_frmMainWeb::separatorsAndUnknownIndicesOpenNothing()
{
    QFETCH(int, index);
    QFETCH(int, how);

    if (how == MenuAction)
        QVERIFY(m_form->mnuTrayItemItem(index)->isSeparator());
    pickWebEntry(index, Pick(how));
    QCOMPARE(m_platform->shell.opened, QStringList());
}

void tst_frmMainWeb::sameEntryTwiceOpensTwice_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("command") << int(Command);
    QTest::newRow("menu action") << int(MenuAction);
}

void tst_frmMainWeb::sameEntryTwiceOpensTwice()
{
    QFETCH(int, how);

    pickWebEntry(6, Pick(how));
    pickWebEntry(6, Pick(how));
    const QString feedback = page("/marlov/SOFTWARE/feedback.html");
    QCOMPARE(m_platform->shell.opened, (QStringList{feedback, feedback}));
}

void tst_frmMainWeb::hiddenWindowStaysHiddenWhileOpeningPages()
{
    hideMainWindow();
    for (int index = 0; index < 10; ++index) {
        pickWebEntry(index, MenuAction);
        pickWebEntry(index, Command);
    }
    QCoreApplication::processEvents();
    QVERIFY(m_form->isHidden());
    QCOMPARE(m_platform->shell.opened.size(), 16);
    QCOMPARE(m_platform->shell.opened.constLast(), page("/marlov/index.html"));
}

void tst_frmMainWeb::aboutTurnsTheTrayOffWhileOpen_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("command") << int(Command);
    QTest::newRow("menu action") << int(MenuAction);
}

void tst_frmMainWeb::aboutTurnsTheTrayOffWhileOpen()
{
    QFETCH(int, how);
    hideMainWindow();

    bool trayOnWhileOpen = true;
    bool shownByOpening = true;
    bool shownByLeftClick = true;
    qsizetype menusByRightClick = -1;
    const AboutRun run = runAbout(
        [&] {
            if (how == Command)
                m_form->mnuTrayItem_Click(TrayAbout);
            else
                m_form->mnuTrayItem(TrayAbout)->trigger();
        },
        [&](frmAbout &box) {
            trayOnWhileOpen = m_platform->trayIcon.isEnabled();
            shownByOpening = m_form->isVisible();
            m_platform->trayIcon.clickLeft();
            QCoreApplication::processEvents();
            shownByLeftClick = m_form->isVisible();
            m_platform->trayIcon.clickRight();
            QCoreApplication::processEvents();
            menusByRightClick = m_platform->popupMenus.calls.size();
            QTest::mouseClick(box.cmd(), Qt::LeftButton);
        });

    QVERIFY(run.opened);
    QCOMPARE(run.title, QStringLiteral("About Tavlo") + versionNumbers());
    QVERIFY2(!run.closedByFallback, "a click on Ok did not close the box");
    QVERIFY(!trayOnWhileOpen);
    QVERIFY(!shownByOpening);
    QVERIFY(!shownByLeftClick);
    QCOMPARE(menusByRightClick, 0);

    // Closed again: the hidden window is still hidden, and the icon acts on clicks once more.
    QVERIFY(m_platform->trayIcon.isEnabled());
    QVERIFY(m_form->isHidden());
    m_platform->trayIcon.clickRight();
    QCOMPARE(m_platform->popupMenus.calls.size(), 1);
    QCOMPARE(m_platform->popupMenus.calls.constFirst().menu.data(), &m_form->mnuTray());
    m_platform->trayIcon.clickLeft();
    QVERIFY(m_form->isVisible());
}

void tst_frmMainWeb::aboutOpenedWhileShownLeavesTheWindowShown()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));

    bool shownWhileOpen = false;
    const AboutRun run = runAbout([&] { m_form->mnuTrayItem_Click(TrayAbout); },
                                  [&](frmAbout &box) {
                                      shownWhileOpen = m_form->isVisible();
                                      QTest::keyClick(box.cmd(), Qt::Key_Space);
                                  });
    QVERIFY(run.opened);
    QVERIFY2(!run.closedByFallback, "Space on Ok did not close the box");
    QVERIFY(shownWhileOpen);
    QVERIFY(m_form->isVisible());
    QVERIFY(m_platform->trayIcon.isEnabled());
}

void tst_frmMainWeb::unloadClosesTheOpenAbout_data()
{
    QTest::addColumn<bool>("fromFrame");
    QTest::newRow("Form_Unload") << false;
    QTest::newRow("close request from the frame") << true;
}

void tst_frmMainWeb::unloadClosesTheOpenAbout()
{
    QFETCH(bool, fromFrame);
    hideMainWindow();
    QSignalSpy unloaded(m_form, &frmMain::unloaded);

    bool closedAtOnce = false;
    const AboutRun run = runAbout([&] { m_form->mnuTrayItem_Click(TrayAbout); },
                                  [&](frmAbout &box) {
                                      if (fromFrame)
                                          m_form->close();
                                      else
                                          m_form->Form_Unload();
                                      closedAtOnce = !box.isVisible();
                                  });

    QVERIFY(run.opened);
    QVERIFY2(!run.closedByFallback, "unloading left the box open");
    QVERIFY(closedAtOnce);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(m_platform->trayIcon.isEnabled());
    QCOMPARE(unloaded.count(), fromFrame ? 1 : 0);
}

void tst_frmMainWeb::bringingForwardRaisesTheOpenAbout_data()
{
    QTest::addColumn<bool>("hidden");
    QTest::newRow("window hidden") << true;
    QTest::newRow("window shown") << false;
}

void tst_frmMainWeb::bringingForwardRaisesTheOpenAbout()
{
    QFETCH(bool, hidden);
    if (hidden) {
        hideMainWindow();
    } else {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }

    bool otherWasActive = false;
    bool boxCameForward = false;
    bool shownWhileOpen = !hidden;
    const AboutRun run = runAbout([&] { m_form->mnuTrayItem_Click(TrayAbout); },
                                  [&](frmAbout &box) {
                                      // Another program's window has the focus when the second
                                      // start asks.
                                      QWidget other;
                                      other.show();
                                      otherWasActive = QTest::qWaitForWindowActive(&other);
                                      m_form->bringForward();
                                      boxCameForward = QTest::qWaitFor(
                                          [&] { return QApplication::activeWindow() == &box; });
                                      shownWhileOpen = m_form->isVisible();
                                      QTest::mouseClick(box.cmd(), Qt::LeftButton);
                                  });

    QVERIFY(run.opened);
    QVERIFY2(!run.closedByFallback, "a click on Ok did not close the box");
    QVERIFY(otherWasActive);
    QVERIFY(boxCameForward);
    QCOMPARE(shownWhileOpen, !hidden);
}

QTEST_MAIN(tst_frmMainWeb)
#include "tst_frmMainWeb.moc"
