// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>

// Drives the real program on the private X desktop the way a person would, through xdotool, and
// reads what the window system shows through xprop and xwininfo.
namespace desktop {

// Runs a command to its end and returns what it printed; fails the test if it cannot run.
QString run(const QString &program, const QStringList &arguments);

// Waits up to timeoutMs for the condition, processing events meanwhile.
bool waitFor(const std::function<bool()> &condition, int timeoutMs = 5000);

QSize screenSize();
// The window's inner area, in root coordinates.
QRect clientRect(const QString &window);
// Left, right, top, bottom, as the window manager publishes them.
QList<int> frameExtents(const QString &window);
QRect frameRect(const QString &window);
QString property(const QString &window, const QString &name);
bool isViewable(const QString &window);
// Whether the window, with the frame the window manager put it in, lies above the other one.
bool isStackedAbove(const QString &window, const QString &other);
// The first mapped window of any program whose title is exactly `title`.
QString visibleWindowTitled(const QString &title);

void clickAt(QPoint point, int button = 1);
void click(const QString &window, int button = 1);
void key(const QString &keys);
void type(const QString &text);
QString activeWindow();

// Where a picture of this name goes in the test artifacts folder.
QString artifactPath(const QString &name);
// Saves a picture of the whole screen into the test artifacts folder.
void screenshot(const QString &name);

} // namespace desktop

// The real tavlo program as a process on the private desktop, and the windows it has there.
class TavloProgram {
public:
    TavloProgram();
    TavloProgram(const TavloProgram &) = delete;
    TavloProgram &operator=(const TavloProgram &) = delete;
    ~TavloProgram();

    bool isRunning() const { return m_process.state() == QProcess::Running; }
    qint64 pid() const { return m_process.processId(); }
    // Every window of the process, as xdotool finds them by their _NET_WM_PID.
    QStringList windows() const;
    // The mapped window with exactly this title: a looser match could find the About box.
    QString visibleWindowTitled(const QString &title) const;
    // Windows embedded into another program's window, as an XEmbed tray icon is: mapped, kept
    // from the window manager like menus, but unlike menus not a child of the root.
    QStringList embeddedWindows() const;
    bool waitForExit(int timeoutMs = 5000);
    int exitCode() const { return m_process.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }

protected:
    QProcess m_process;
};

// Tavlo on a desktop with a window manager and an XEmbed system tray.
class TavloProcess : public TavloProgram {
public:
    bool start();
    // The mapped main window, looked up anew each time.
    QString mainWindow();
    QString trayWindow() const { return m_trayWindow; }
    // Top-level windows of the program that are mapped and are popup menus.
    QStringList visiblePopupMenus() const;
    QStringList visibleWindows() const;
    // The File menu, by a click on the corner picture in the editor's bottom-right corner.
    bool openFileMenu();
    // The Tray menu, by a right click on the tray icon.
    bool openTrayMenu();
    // Picks an item of the open menu by its access key and waits for every menu to close.
    bool pick(const QString &accessKey);

private:
    QString m_mainWindow;
    QString m_trayWindow;
};

namespace desktop {
// The text of the focused editor, through select-all and copy, as a person would take it.
QString copyFocusedText();
} // namespace desktop
