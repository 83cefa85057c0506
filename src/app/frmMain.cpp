// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frmMain.h"

#include "about/frmAbout.h"
#include "app/EditorFont.h"
#include "app/MainLayout.h"
#include "app/MenuDesign.h"
#include "app/PictureBox.h"
#include "platform/AppVersion.h"
#include "platform/Artwork.h"
#include "platform/FramedPlacement.h"
#include "platform/TrayIconControl.h"
#include "platform/WindowFrame.h"
#include "storage/Document.h"
#include "textbox/TextBox.h"
#include "web/onTheWeb.h"

#include <QCloseEvent>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QWindow>

frmMain::frmMain(const PlatformServices &platform)
    : QWidget(nullptr, Qt::Window)
    , m_platform(platform)
    , m_comDlg(platform.fileDialogs)
    , m_placement(new FramedPlacement(*this, [this] { placeBottomRight(); }))
{
    setWindowTitle(QStringLiteral("Tavlo"));
    setWindowIcon(artwork::icon(QStringLiteral("tavlo")));
    setObjectName(QStringLiteral("frmMain"));
    // Without a base size Qt's xcb plugin publishes the unset one scaled, -2 x -2 at a scale of
    // two, and a window manager may then take the window for 65534 pixels wide and high.
    winId();
    windowHandle()->setBaseSize(QSize(0, 0));

    createControls();

    setFocusProxy(m_txt);
    m_txt->setFocus();
    const int innerWidth = twipsToPixels(MainDesign::InnerWidth, dpiX());
    const int innerHeight = twipsToPixels(MainDesign::InnerHeight, dpiY());
    resize(innerWidth, innerHeight);

    createMenus();
    connectEvents();
}

frmMain::~frmMain() = default;

void frmMain::createControls()
{
    // Created in the order of the design; later siblings are drawn above earlier ones, so the
    // corner picture lies over the editor.
    m_txtFile = new QLineEdit(this);
    m_txtFile->setObjectName(QStringLiteral("txtFile"));
    m_txtFile->setAccessibleName(tr("Document path"));
    m_txtFile->setVisible(false);
    m_txtFile->setFocusPolicy(Qt::NoFocus);
    setGeometryTwips(*m_txtFile, {540, 480, 1335, 285});

    // The box wraps at its width and has no scroll bars of its own.
    m_txt = new TextBox(this);
    m_txt->setObjectName(QStringLiteral("txt"));
    m_txt->setAccessibleName(tr("Note"));
    m_txt->setFont(editorFont());
    setGeometryTwips(*m_txt, MainDesign::txt);
    m_document =
        new Document(*m_txt, *m_txt, m_platform.messageBoxes, [this] { return askSaveName(); });

    m_pic = new PictureBox(artwork::icon(QStringLiteral("corner")), this);
    m_pic->setObjectName(QStringLiteral("pic"));
    // A screen reader has nothing else to say about a picture that opens a menu.
    m_pic->setAccessibleName(tr("File menu"));
    m_pic->setToolTip(tr("File menu"));
    m_pic->setFocusPolicy(Qt::NoFocus);
    setGeometryTwips(*m_pic, MainDesign::pic);
    m_pic->raise();
}

void frmMain::createMenus()
{
    // A separator is drawn as a line without text, but keeps its index in the item array.
    const auto addItem = [](QMenu &menu, const char *caption) {
        return qstrcmp(caption, MenuDesign::Separator) == 0
                   ? menu.addSeparator()
                   : menu.addAction(QString::fromUtf8(caption));
    };
    const auto addItems = [&addItem](QMenu &menu, const auto &captions, QList<QAction *> &items) {
        for (const char *caption : captions)
            items.append(addItem(menu, caption));
    };
    // Neither menu is ever shown in a menu bar; both open only as popups.
    m_mnuFile = new QMenu(QString::fromUtf8(MenuDesign::mnuFile), this);
    addItems(*m_mnuFile, MenuDesign::mnuFileItem, m_mnuFileItem);
    m_mnuTray = new QMenu(QString::fromUtf8(MenuDesign::mnuTray), this);
    addItems(*m_mnuTray, MenuDesign::mnuTrayItem, m_mnuTrayItem);
    m_mnuTrayItem[MenuDesign::TrayAlwaysOnTop]->setCheckable(true);

    auto *const onTheWeb = new QMenu(m_mnuTray);
    for (const WebLink &link : webLinks())
        m_mnuTrayItemItem.append(addItem(*onTheWeb, link.caption));
    m_mnuTrayItem[MenuDesign::TrayOnTheWeb]->setMenu(onTheWeb);
}

void frmMain::connectEvents()
{
    const auto connectArray = [this](const QList<QAction *> &items,
                                     void (frmMain::*handler)(short)) {
        for (qsizetype index = 0; index < items.size(); ++index) {
            QAction *const item = items[index];
            connect(item, &QAction::triggered, this, [this, handler, index, item](bool checked) {
                // Qt flips a checkable item by itself before reporting the pick; the check mark
                // is the command's to change, so that flip is undone first.
                if (item->isCheckable())
                    item->setChecked(!checked);
                (this->*handler)(static_cast<short>(index));
            });
        }
    };
    connectArray(m_mnuFileItem, &frmMain::mnuFileItem_Click);
    connectArray(m_mnuTrayItem, &frmMain::mnuTrayItem_Click);
    connectArray(m_mnuTrayItemItem, &frmMain::mnuTrayItemItem_Click);
    connect(m_pic, &PictureBox::Click, this, &frmMain::pic_Click);
    connect(&trayIcon(), &TrayIconControl::LeftClick, this, &frmMain::trayIcon_LeftClick);
    connect(&trayIcon(), &TrayIconControl::RightClick, this, &frmMain::trayIcon_RightClick);
    connect(m_document, &Document::busyChanged, this, &frmMain::updateFileCommands);
    connect(m_document, &Document::pathChanged, m_txtFile, &QLineEdit::setText);
}

void frmMain::Form_Load()
{
    Form_Resize();
    setWindowTitle(versionedProductString());
    placeBottomRight();
    trayIcon().setToolTipText(versionedProductString());
    OnTop();
    m_txtFile->setText(QString());
    // The frame is drawn by the window manager once the window is mapped; placement is redone
    // then with the frame's real size.
    m_placement->arm();
}

void frmMain::Form_Resize()
{
    TwipsRect txtRect = geometryTwips(*m_txt);
    fillInnerArea(pixelsToTwips(width(), dpiX()), pixelsToTwips(height(), dpiY()), txtRect);
    setGeometryTwips(*m_txt, txtRect);
    // The picture follows the size the editor really took.
    TwipsRect picRect = geometryTwips(*m_pic);
    placeCornerPicture(geometryTwips(*m_txt), picRect);
    setGeometryTwips(*m_pic, picRect);
}

void frmMain::Form_Unload()
{
    if (m_about)
        m_about->close();
}

void frmMain::placeBottomRight()
{
    const QRect screenRect = screen()->geometry();
    const TwipsRect outer = outerGeometryTwips();
    const TwipsPoint topLeft =
        bottomRightPlacement(pixelsToTwips(screenRect.width(), dpiX()),
                             pixelsToTwips(screenRect.height(), dpiY()), outer.Width, outer.Height);
    moveFrameTo(*this, {screenRect.x() + twipsToPixels(topLeft.Left, dpiX()),
                        screenRect.y() + twipsToPixels(topLeft.Top, dpiY())});
}

TwipsRect frmMain::outerGeometryTwips() const
{
    const QRect frame = outerGeometry(*this);
    return {pixelsToTwips(frame.x(), dpiX()), pixelsToTwips(frame.y(), dpiY()),
            pixelsToTwips(frame.width(), dpiX()), pixelsToTwips(frame.height(), dpiY())};
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // A close request from the frame ends the program, exactly like Exit.
    event->accept();
    Unload();
}

void frmMain::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Form_Unload();
    // Exit takes Tavlo off the screen at once, also while a save is still writing the file.
    hide();
    trayIcon().setEnabled(false);
    trayIcon().remove();
    emit unloading();
    connect(m_document, &Document::stoppedForExit, this, &frmMain::unloaded);
    m_document->stopForExit();
}

double frmMain::dpiX() const
{
    return logicalDpiX();
}

double frmMain::dpiY() const
{
    return logicalDpiY();
}

TwipsRect frmMain::geometryTwips(const QWidget &control) const
{
    const QRect r = control.geometry();
    return {pixelsToTwips(r.x(), dpiX()), pixelsToTwips(r.y(), dpiY()),
            pixelsToTwips(r.width(), dpiX()), pixelsToTwips(r.height(), dpiY())};
}

void frmMain::setGeometryTwips(QWidget &control, const TwipsRect &rect)
{
    control.setGeometry(twipsToPixels(rect.Left, dpiX()), twipsToPixels(rect.Top, dpiY()),
                        twipsToPixels(rect.Width, dpiX()), twipsToPixels(rect.Height, dpiY()));
}
