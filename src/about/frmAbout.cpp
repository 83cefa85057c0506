// SPDX-License-Identifier: GPL-3.0-or-later
#include "about/frmAbout.h"

#include "platform/Artwork.h"
#include "platform/FramedPlacement.h"
#include "platform/WindowFrame.h"

#include <QCursor>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "about/AboutText.h"
#include "platform/AppVersion.h"
#include "platform/Twips.h"

namespace {
constexpr Twips InnerWidth = 4695;
constexpr Twips InnerHeight = 3195;
constexpr int IconSize = 32;

constexpr Qt::WindowFlags DialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

QLabel *makeLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setFocusPolicy(Qt::NoFocus);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}
} // namespace

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent, DialogFlags)
    , m_placement(new FramedPlacement(*this, [this] { centreOnScreen(); }))
{
    setModal(true);
    setFixedSize(twipsToPixels(InnerWidth, logicalDpiX()),
                 twipsToPixels(InnerHeight, logicalDpiY()));

    m_img = new QLabel(this);
    m_img->setObjectName(QStringLiteral("img"));
    m_img->setAccessibleName(tr("Tavlo icon"));
    m_img->setFocusPolicy(Qt::NoFocus);
    m_img->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A missing icon yields a null pixmap, which simply shows nothing.
    m_img->setPixmap(artwork::icon(QStringLiteral("tavlo"))
                         .pixmap(QSize(IconSize, IconSize), devicePixelRatioF()));
    placeInTwips(m_img, 60, 60, 480, 480);

    for (int i = 0; i < int(m_lbl.size()); ++i) {
        m_lbl[i] = makeLabel(this);
        m_lbl[i]->setObjectName(QStringLiteral("lbl%1").arg(i));
    }
    m_lbl[0]->setText(QStringLiteral("Tavlo"));
    placeInTwips(m_lbl[0], 600, 120, 2475, 255);
    m_lbl[1]->setText(copyrightNotice());
    placeInTwips(m_lbl[1], 600, 360, 2475, 255);
    m_lbl[2]->setWordWrap(true);
    placeInTwips(m_lbl[2], 60, 780, 4575, 1995);

    m_frame1 = new QFrame(this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_frame1->setAccessibleName(tr("Separator"));
    m_frame1->setFrameShape(QFrame::HLine);
    m_frame1->setFrameShadow(QFrame::Sunken);
    placeInTwips(m_frame1, 60, 600, 4575, 75);

    m_cmd = new QPushButton(tr("&Ok"), this);
    m_cmd->setObjectName(QStringLiteral("cmd"));
    // In a dialog an auto-default button presses on Enter while it has the focus.
    m_cmd->setAutoDefault(true);
    placeInTwips(m_cmd, 3780, 2760, 855, 375);
    connect(m_cmd, &QPushButton::clicked, this, &frmAbout::cmd_Click);
    m_cmd->setFocus();

    Form_Load();
}

QLabel *frmAbout::lbl(int index) const
{
    if (index < 0 || index >= int(m_lbl.size()))
        return nullptr;
    return m_lbl[index];
}

void frmAbout::Form_Load()
{
    setWindowTitle(aboutTitle());
    m_lbl[0]->setText(versionedProductString());
    // The label breaks lines at LF only; plain-text drawing keeps the indent's spaces.
    m_lbl[2]->setText(aboutText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void frmAbout::cmd_Click()
{
    accept();
}

void frmAbout::keyPressEvent(QKeyEvent *event)
{
    // Only the button, or the window's close button, may dismiss the box; Esc is swallowed.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        centreOnScreen();
        // Centred again once the window manager has drawn the frame around it.
        m_placement->arm();
    }
}

void frmAbout::placeInTwips(QWidget *widget, float left, float top, float width, float height) const
{
    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    widget->setGeometry(twipsToPixels(left, dpiX), twipsToPixels(top, dpiY),
                        twipsToPixels(width, dpiX), twipsToPixels(height, dpiY));
}

void frmAbout::centreOnScreen()
{
    const QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    QRect frame = outerGeometry(*this);
    frame.moveCenter(screen->availableGeometry().center());
    moveFrameTo(*this, frame.topLeft());
}
