#pragma once

#include "app/Twips.h"
#include "platform/CommonDialog.h"
#include "platform/PlatformServices.h"
#include "storage/TextFormat.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QAction;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class PictureBox;
class DocumentLoader;
class FileJob;
class OpenProgress;
class FramedPlacement;
class TrayIconControl;
class frmAbout;
struct DecodedDocument;
struct OpenOutcome;
struct SaveOutcome;

// The one editor window. It owns the editor, the hidden box holding the current document path,
// the corner picture, the tray icon and the two popup menus, and carries the commands behind them.
// Its methods are spread over the folders of the subsystems that own them: start-up and menus
// here, the document commands in storage/, the web links in web/, the About command in about/.
class frmMain : public QWidget {
    Q_OBJECT
public:
    explicit frmMain(const PlatformServices &platform);
    ~frmMain() override;

    // Controls, named as designed.
    QPlainTextEdit &txt() const { return *m_txt; }
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

    // Flips always-on-top: the check mark of "&Always on top" and the window-manager state.
    void OnTop();
    void goWeb(const QString &address);
    void openDoc();
    void saveDoc();

    // The window's outer frame, in twips; set by the window manager once the window is shown.
    TwipsRect outerGeometryTwips() const;
    // How the document's text becomes bytes when saved: the encoding and line ends of the file
    // it came from, or those of a new document.
    const TextFormat &documentFormat() const { return m_documentFormat; }
    // True while a file is being read or written in the background, or an opened text is still
    // going into the editor.
    bool isFileBusy() const;

signals:
    // The window has been unloaded; the program ends when this is emitted.
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
    void newDocument();
    void openFinished(const QString &path, const OpenOutcome &outcome);
    void endOpen();
    void showDocument(const QString &path, const DecodedDocument &document);
    void startSave(const QString &path, const TextFormat &format);
    void saveFinished(const QString &path, const TextFormat &format, const SaveOutcome &outcome);
    bool askSaveName(QString &path);
    void updateFileCommands();
    double dpiX() const;
    double dpiY() const;
    TwipsRect geometryTwips(const QWidget &control) const;
    void setGeometryTwips(QWidget &control, const TwipsRect &rect);

    PlatformServices m_platform;
    CommonDialog m_comDlg;
    TextFormat m_documentFormat;
    FileJob *m_fileJob = nullptr;
    QPlainTextEdit *m_txt = nullptr;
    DocumentLoader *m_documentLoader = nullptr;
    OpenProgress *m_openProgress = nullptr;
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
