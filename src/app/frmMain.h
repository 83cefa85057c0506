// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/CommonDialog.h"
#include "platform/PlatformServices.h"
#include "platform/Twips.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <optional>

class QAction;
class QLineEdit;
class QMenu;
class PictureBox;
class TextBox;
class Document;
class FramedPlacement;
class TrayIconControl;
class frmAbout;

// The one editor window. It owns the text box, the hidden box holding the current document path,
// the corner picture, the tray icon and the two popup menus, and turns clicks on them into calls:
// on the document, the window manager, the shell and the About box.
class frmMain : public QWidget {
    Q_OBJECT
public:
    explicit frmMain(const PlatformServices &platform);
    ~frmMain() override;

    // Controls, named as designed.
    TextBox &txt() const { return *m_txt; }
    QLineEdit &txtFile() const { return *m_txtFile; }
    PictureBox &pic() const { return *m_pic; }
    TrayIconControl &trayIcon() const { return m_platform.trayIcon; }
    CommonDialog &comDlg() { return m_comDlg; }
    QMenu &mnuFile() const { return *m_mnuFile; }
    QMenu &mnuTray() const { return *m_mnuTray; }
    QAction *mnuFileItem(int index) const { return m_mnuFileItem.value(index); }
    QAction *mnuTrayItem(int index) const { return m_mnuTrayItem.value(index); }
    QAction *mnuTrayItemItem(int index) const { return m_mnuTrayItemItem.value(index); }

    // Runs once, before the window is first shown.
    void Form_Load();
    // Lays out the editor and the corner picture for the current inner size.
    void Form_Resize();
    // Runs when the window is unloaded: by Exit, or by a close request from its frame.
    void Form_Unload();

    void mnuTrayItemItem_Click(short Index);
    void pic_Click();
    void mnuFileItem_Click(short Index);
    void mnuTrayItem_Click(short Index);
    void trayIcon_LeftClick();
    void trayIcon_RightClick();
    // Another start of the program asked for Tavlo: the window comes forward as from a tray
    // click, or the About box does while it is open.
    void bringForward();

    // Flips always-on-top: the check mark of "&Always on top" and the window-manager state.
    void OnTop();
    void goWeb(const QString &address);
    void openDoc();
    void saveDoc();

    // The window's outer frame, in twips; set by the window manager once the window is shown.
    TwipsRect outerGeometryTwips() const;
    // The note's text, its file and how it is read and written.
    Document &document() const { return *m_document; }

signals:
    // Exit has begun: the window and the tray icon are gone, and the program no longer takes
    // commands, though a save may still be finishing.
    void unloading();
    // The window has been unloaded and no save is under way any more: the program ends when
    // this is emitted.
    void unloaded();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createMenus();
    void connectEvents();
    void placeBottomRight();
    void Unload();
    void hideToTray();
    void showFromTray();
    void aboutCommand();
    void clearDoc();
    std::optional<QString> askSaveName();
    void updateFileCommands();
    double dpiX() const;
    double dpiY() const;
    TwipsRect geometryTwips(const QWidget &control) const;
    void setGeometryTwips(QWidget &control, const TwipsRect &rect);

    PlatformServices m_platform;
    CommonDialog m_comDlg;
    TextBox *m_txt = nullptr;
    Document *m_document = nullptr;
    QLineEdit *m_txtFile = nullptr;
    PictureBox *m_pic = nullptr;
    QMenu *m_mnuFile = nullptr;
    QMenu *m_mnuTray = nullptr;
    QList<QAction *> m_mnuFileItem;
    QList<QAction *> m_mnuTrayItem;
    QList<QAction *> m_mnuTrayItemItem;
    FramedPlacement *m_placement = nullptr;
    bool m_unloaded = false;
    // The About box while it is open.
    frmAbout *m_about = nullptr;
};
