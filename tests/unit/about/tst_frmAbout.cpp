// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "about/AboutText.h"
#include "about/frmAbout.h"
#include "platform/AppVersion.h"
#include "platform/Twips.h"

namespace {
QRect twipsRect(const QWidget &widget, Twips left, Twips top, Twips width, Twips height)
{
    const double dpiX = widget.logicalDpiX();
    const double dpiY = widget.logicalDpiY();
    return QRect(twipsToPixels(left, dpiX), twipsToPixels(top, dpiY), twipsToPixels(width, dpiX),
                 twipsToPixels(height, dpiY));
}

// Shows the box modelessly-but-modal (as exec() would) and waits until it has the keyboard.
bool showAndActivate(frmAbout &box)
{
    box.show();
    return QTest::qWaitForWindowActive(&box);
}
} // namespace

class tst_frmAbout : public QObject {
    Q_OBJECT

private slots:
    void captionAndLabels();
    void aboutLabelKeepsLinesAndIndent();
    void headingLinesFitTheirLabels();
    void geometryInTwips();
    void innerSizeIsFixed();
    void windowFrameOffersOnlyClose();
    void centredOnScreen();
    void onlyTheButtonTakesFocus();
    void escapeLeavesItOpen();
    void buttonKeysClose_data();
    void buttonKeysClose();
    void mouseClickCloses();
    void windowCloseButtonCloses();
    void execReturnsWhenOkIsPressed();
    void eachOpeningShowsTheSameContent();
};

void tst_frmAbout::captionAndLabels()
{
    const frmAbout box;
    QCOMPARE(box.windowTitle(), QStringLiteral("About Tavlo") + versionNumbers(App));
    QCOMPARE(box.lbl(0)->text(), QStringLiteral("Tavlo ") + versionNumbers(App));
    QCOMPARE(box.lbl(1)->text(), copyrightNotice());
    QCOMPARE(box.cmd()->text(), QStringLiteral("&Ok"));
    // The box shows the program's icon only inside; the frame keeps the application's.
    QVERIFY(!box.testAttribute(Qt::WA_SetWindowIcon));
    QCOMPARE(box.lbl(-1), nullptr);
    QCOMPARE(box.lbl(3), nullptr);
}

void tst_frmAbout::aboutLabelKeepsLinesAndIndent()
{
    const frmAbout box;
    const QLabel *label = box.lbl(2);
    QVERIFY(label->wordWrap());
    QCOMPARE(label->textFormat(), Qt::PlainText);
    const QStringList lines = label->text().split(u'\n');
    QCOMPARE(lines, aboutText().split(QStringLiteral("\r\n")));
    QVERIFY(lines[4].startsWith(QString(15, u' ') + QStringLiteral("\"Clear\"")));
}

void tst_frmAbout::headingLinesFitTheirLabels()
{
    const frmAbout box;
    for (int i : {0, 1}) {
        const QLabel *label = box.lbl(i);
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        QVERIFY2(needed <= label->width(), qPrintable(QStringLiteral("lbl(%1) needs %2 px, has %3")
                                                          .arg(i)
                                                          .arg(needed)
                                                          .arg(label->width())));
    }
}

void tst_frmAbout::geometryInTwips()
{
    const frmAbout box;
    QCOMPARE(box.img()->geometry(), twipsRect(box, 60, 60, 480, 480));
    QCOMPARE(box.lbl(0)->geometry(), twipsRect(box, 600, 120, 2475, 255));
    QCOMPARE(box.lbl(1)->geometry(), twipsRect(box, 600, 360, 2475, 255));
    QCOMPARE(box.Frame1()->geometry(), twipsRect(box, 60, 600, 4575, 75));
    QCOMPARE(box.lbl(2)->geometry(), twipsRect(box, 60, 780, 4575, 1995));
    QCOMPARE(box.cmd()->geometry(), twipsRect(box, 3780, 2760, 855, 375));

    for (QWidget *child : {static_cast<QWidget *>(box.img()), static_cast<QWidget *>(box.lbl(0)),
                           static_cast<QWidget *>(box.lbl(1)), static_cast<QWidget *>(box.lbl(2)),
                           static_cast<QWidget *>(box.Frame1()), static_cast<QWidget *>(box.cmd())})
        QCOMPARE(child->parentWidget(), &box);

    QCOMPARE(box.Frame1()->frameShape(), QFrame::HLine);
    QCOMPARE(box.Frame1()->frameShadow(), QFrame::Sunken);
}

void tst_frmAbout::innerSizeIsFixed()
{
    frmAbout box;
    const QSize inner = twipsRect(box, 0, 0, 4695, 3195).size();
    QVERIFY(showAndActivate(box));
    QCOMPARE(box.size(), inner);
    QCOMPARE(box.minimumSize(), inner);
    QCOMPARE(box.maximumSize(), inner);
    box.resize(inner * 2);
    QCOMPARE(box.size(), inner);
}

void tst_frmAbout::windowFrameOffersOnlyClose()
{
    const frmAbout box;
    const Qt::WindowFlags flags = box.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(box.isModal());
}

void tst_frmAbout::centredOnScreen()
{
    frmAbout box;
    QVERIFY(showAndActivate(box));
    const QPoint screenCentre = box.screen()->availableGeometry().center();
    const QPoint boxCentre = box.frameGeometry().center();
    QVERIFY2((boxCentre - screenCentre).manhattanLength() <= 2,
             qPrintable(QStringLiteral("box centre %1,%2; screen centre %3,%4")
                            .arg(boxCentre.x())
                            .arg(boxCentre.y())
                            .arg(screenCentre.x())
                            .arg(screenCentre.y())));
}

void tst_frmAbout::onlyTheButtonTakesFocus()
{
    frmAbout box;
    QVERIFY(showAndActivate(box));
    QCOMPARE(QApplication::focusWidget(), box.cmd());

    // Tabbing in either direction finds nothing else to land on.
    QTest::keyClick(box.cmd(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), box.cmd());
    QTest::keyClick(box.cmd(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), box.cmd());

    const QList<QWidget *> children = box.findChildren<QWidget *>();
    for (const QWidget *child : children) {
        if (child != box.cmd())
            QCOMPARE(child->focusPolicy(), Qt::NoFocus);
    }
}

void tst_frmAbout::escapeLeavesItOpen()
{
    frmAbout box;
    QSignalSpy finished(&box, &QDialog::finished);
    QVERIFY(showAndActivate(box));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTest::keyClick(&box, Qt::Key_Escape);
    QCoreApplication::processEvents();

    QVERIFY(box.isVisible());
    QCOMPARE(finished.count(), 0);
}

void tst_frmAbout::buttonKeysClose_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Space") << int(Qt::Key_Space) << Qt::KeyboardModifiers();
    QTest::newRow("Enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
    QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
    QTest::newRow("Alt+O") << int(Qt::Key_O) << Qt::KeyboardModifiers(Qt::AltModifier);
}

void tst_frmAbout::buttonKeysClose()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);

    frmAbout box;
    QSignalSpy finished(&box, &QDialog::finished);
    QVERIFY(showAndActivate(box));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);

    QTRY_VERIFY(!box.isVisible());
    QCOMPARE(finished.count(), 1);
}

void tst_frmAbout::mouseClickCloses()
{
    frmAbout box;
    QVERIFY(showAndActivate(box));
    QTest::mouseClick(box.cmd(), Qt::LeftButton);
    QTRY_VERIFY(!box.isVisible());
}

void tst_frmAbout::windowCloseButtonCloses()
{
    frmAbout box;
    QSignalSpy finished(&box, &QDialog::finished);
    QVERIFY(showAndActivate(box));
    // What the window manager's close button delivers.
    QVERIFY(box.close());
    QVERIFY(!box.isVisible());
    QCOMPARE(finished.count(), 1);
}

void tst_frmAbout::execReturnsWhenOkIsPressed()
{
    frmAbout box;
    constexpr int StillOpen = -1;
    QTimer::singleShot(0, &box, [&box] {
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QTest::keyClick(box.cmd(), Qt::Key_Space);
    });
    // A safety net so that a box that refuses to close fails the test instead of hanging it.
    QTimer::singleShot(5000, &box, [&box] { box.done(StillOpen); });
    QCOMPARE_NE(box.exec(), StillOpen);
}

void tst_frmAbout::eachOpeningShowsTheSameContent()
{
    const auto contentOf = [](const frmAbout &box) {
        return QStringList{box.windowTitle(), box.lbl(0)->text(), box.lbl(1)->text(),
                           box.lbl(2)->text()};
    };
    QStringList first;
    {
        frmAbout box;
        QVERIFY(showAndActivate(box));
        first = contentOf(box);
        box.cmd_Click();
        QVERIFY(!box.isVisible());
    }
    frmAbout again;
    QCOMPARE(contentOf(again), first);
    again.Form_Load();
    QCOMPARE(contentOf(again), first);
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
