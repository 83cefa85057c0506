// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader learns through Qt's accessibility interface: every visible control of the
// main window and of the About box has a name it can speak, the hidden path box is not offered as
// visible, and every entry of the popup menus is named.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "FakePlatform.h"
#include "about/frmAbout.h"
#include "app/MenuDesign.h"
#include "app/PictureBox.h"
#include "app/frmMain.h"
#include "textbox/TextBox.h"

namespace {

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

QString describe(QAccessibleInterface *control)
{
    QObject *const object = control->object();
    return QStringLiteral("%1 \"%2\" (role %3)")
        .arg(object ? QLatin1String(object->metaObject()->className()) : QLatin1String("?"),
             object ? object->objectName() : QString())
        .arg(int(control->role()));
}

QString name(QObject *object)
{
    QAccessibleInterface *const control = accessible(object);
    return control ? control->text(QAccessible::Name) : QString();
}

// The window's own controls as a screen reader walks them: the direct children of its
// interface. Their inner parts, such as the text box's viewport, belong to the control.
QList<QAccessibleInterface *> controlsOf(QWidget &window)
{
    QList<QAccessibleInterface *> controls;
    QAccessibleInterface *const windowInterface = accessible(&window);
    if (!windowInterface)
        return controls;
    for (int i = 0; i < windowInterface->childCount(); ++i) {
        if (QAccessibleInterface *const child = windowInterface->child(i))
            controls << child;
    }
    return controls;
}

// Fails the test unless every control that is offered as visible has a name to speak.
void verifyVisibleControlsNamed(QWidget &window, const QList<QWidget *> &expectedVisible)
{
    QList<QWidget *> seen;
    for (QAccessibleInterface *const control : controlsOf(window)) {
        if (control->state().invisible)
            continue;
        QVERIFY2(!control->text(QAccessible::Name).trimmed().isEmpty(),
                 qPrintable(describe(control) + QStringLiteral(" has no accessible name")));
        if (auto *const widget = qobject_cast<QWidget *>(control->object()))
            seen << widget;
    }
    for (QWidget *const widget : expectedVisible)
        QVERIFY2(seen.contains(widget),
                 qPrintable(widget->objectName() + QStringLiteral(" is not offered as visible")));
}

// A menu's entries as a screen reader reads them, while the menu is open.
void verifyMenuEntriesNamed(QMenu &menu)
{
    menu.popup(QPoint(20, 20));
    QVERIFY(QTest::qWaitFor([&] { return menu.isVisible(); }));
    QAccessibleInterface *const menuInterface = accessible(&menu);
    QVERIFY(menuInterface);
    QVERIFY(!menuInterface->state().invisible);
    const QList<QAction *> actions = menu.actions();
    QCOMPARE(menuInterface->childCount(), actions.size());
    int named = 0;
    for (int i = 0; i < menuInterface->childCount(); ++i) {
        QAccessibleInterface *const entry = menuInterface->child(i);
        QVERIFY(entry);
        QCOMPARE(entry->object(), actions[i]);
        if (actions[i]->isSeparator()) {
            QCOMPARE(entry->role(), QAccessible::Separator);
            continue;
        }
        QCOMPARE(entry->role(), QAccessible::MenuItem);
        const QString spoken = entry->text(QAccessible::Name);
        QVERIFY2(
            !spoken.trimmed().isEmpty(),
            qPrintable(
                QStringLiteral("entry %1 of %2 has no accessible name").arg(i).arg(menu.title())));
        // The access-key marker is not spoken.
        QCOMPARE(spoken, QString(actions[i]->text()).remove(u'&'));
        ++named;
    }
    QVERIFY(named > 0);
    menu.hide();
}

} // namespace

class tst_Accessibility : public QObject {
    Q_OBJECT

private slots:
    void mainWindowControlsAreNamed();
    void hiddenPathBoxIsNotOfferedAsVisible();
    void aboutBoxControlsAreNamed();
    void fileMenuEntriesAreNamed();
    void trayMenuEntriesAreNamed();
    void webSubmenuEntriesAreNamed();
};

void tst_Accessibility::mainWindowControlsAreNamed()
{
    FakePlatform platform;
    frmMain form(platform.services());
    form.Form_Load();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    verifyVisibleControlsNamed(form, {&form.txt(), &form.pic()});
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(name(&form.txt()), QStringLiteral("Note"));
    // The picture has no text of its own; without its name a screen reader could say nothing.
    QCOMPARE(name(&form.pic()), QStringLiteral("File menu"));
    QCOMPARE(form.pic().toolTip(), QStringLiteral("File menu"));
    QVERIFY(!accessible(&form.pic())->state().invisible);
    QVERIFY(!name(&form).isEmpty());
}

void tst_Accessibility::hiddenPathBoxIsNotOfferedAsVisible()
{
    FakePlatform platform;
    frmMain form(platform.services());
    form.Form_Load();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QAccessibleInterface *const pathBox = accessible(&form.txtFile());
    QVERIFY(pathBox);
    QVERIFY(pathBox->state().invisible);
    QVERIFY(!pathBox->state().focusable);
    // Wherever it appears in the window's tree, it is marked invisible.
    for (QAccessibleInterface *const control : controlsOf(form)) {
        if (control->object() == &form.txtFile())
            QVERIFY(control->state().invisible);
    }
}

void tst_Accessibility::aboutBoxControlsAreNamed()
{
    frmAbout box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));

    QList<QWidget *> expected{box.img(), box.Frame1(), box.cmd()};
    for (int i = 0; box.lbl(i); ++i)
        expected << box.lbl(i);
    verifyVisibleControlsNamed(box, expected);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(name(box.img()), QStringLiteral("Tavlo icon"));
    QCOMPARE(name(box.Frame1()), QStringLiteral("Separator"));
    QCOMPARE(name(box.cmd()), QStringLiteral("Ok"));
    for (int i = 0; box.lbl(i); ++i)
        QCOMPARE(name(box.lbl(i)), box.lbl(i)->text());
    QVERIFY(!name(&box).isEmpty());
    box.close();
}

void tst_Accessibility::fileMenuEntriesAreNamed()
{
    FakePlatform platform;
    frmMain form(platform.services());
    form.Form_Load();
    verifyMenuEntriesNamed(form.mnuFile());
}

void tst_Accessibility::trayMenuEntriesAreNamed()
{
    FakePlatform platform;
    frmMain form(platform.services());
    form.Form_Load();
    verifyMenuEntriesNamed(form.mnuTray());
}

void tst_Accessibility::webSubmenuEntriesAreNamed()
{
    FakePlatform platform;
    frmMain form(platform.services());
    form.Form_Load();
    QAction *const onTheWeb = form.mnuTrayItem(MenuDesign::TrayOnTheWeb);
    QVERIFY(onTheWeb);
    QVERIFY(onTheWeb->menu());
    verifyMenuEntriesNamed(*onTheWeb->menu());
}

QTEST_MAIN(tst_Accessibility)
#include "tst_Accessibility.moc"
