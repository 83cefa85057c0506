// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopDriver.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

namespace desktop {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        qWarning() << program << arguments << "did not finish";
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

namespace {

int xwininfoValue(const QString &info, const QString &label)
{
    const QRegularExpression pattern(QRegularExpression::escape(label) +
                                     QStringLiteral(":\\s+(-?\\d+)"));
    return pattern.match(info).captured(1).toInt();
}

// The child of the root window that holds the window: its frame, or the window itself.
QString topLevelOf(const QString &window)
{
    const QRegularExpression root(QStringLiteral("Root window id: (0x[0-9a-f]+)"));
    const QRegularExpression parent(QStringLiteral("Parent window id: (0x[0-9a-f]+)"));
    QString current = QStringLiteral("0x%1").arg(window.toULongLong(nullptr, 0), 0, 16);
    for (;;) {
        const QString tree = run(QStringLiteral("xwininfo"),
                                 {QStringLiteral("-id"), current, QStringLiteral("-tree")});
        const QString up = parent.match(tree).captured(1);
        if (up.isEmpty() || up == root.match(tree).captured(1))
            return current;
        current = up;
    }
}

} // namespace

QSize screenSize()
{
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-root")});
    return {xwininfoValue(info, QStringLiteral("Width")),
            xwininfoValue(info, QStringLiteral("Height"))};
}

QRect clientRect(const QString &window)
{
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    return {xwininfoValue(info, QStringLiteral("Absolute upper-left X")),
            xwininfoValue(info, QStringLiteral("Absolute upper-left Y")),
            xwininfoValue(info, QStringLiteral("Width")),
            xwininfoValue(info, QStringLiteral("Height"))};
}

QString property(const QString &window, const QString &name)
{
    return run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, name}).trimmed();
}

QList<int> frameExtents(const QString &window)
{
    const QString text = property(window, QStringLiteral("_NET_FRAME_EXTENTS"));
    QList<int> extents;
    const QRegularExpression number(QStringLiteral("\\d+"));
    for (auto it = number.globalMatch(text.section(u'=', 1)); it.hasNext();)
        extents << it.next().captured().toInt();
    return extents.size() == 4 ? extents : QList<int>{0, 0, 0, 0};
}

QRect frameRect(const QString &window)
{
    const QRect client = clientRect(window);
    const QList<int> e = frameExtents(window);
    return client.adjusted(-e[0], -e[2], e[1], e[3]);
}

bool isViewable(const QString &window)
{
    return run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window})
        .contains(QLatin1String("IsViewable"));
}

bool isStackedAbove(const QString &window, const QString &other)
{
    // xwininfo lists the root's children from the top of the stack down.
    const QString children =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")});
    const auto place = [&children](const QString &id) {
        return children.indexOf(QRegularExpression(QStringLiteral("^\\s+%1\\s").arg(topLevelOf(id)),
                                                   QRegularExpression::MultilineOption));
    };
    const qsizetype windowPlace = place(window);
    const qsizetype otherPlace = place(other);
    return windowPlace >= 0 && otherPlace >= 0 && windowPlace < otherPlace;
}

QString visibleWindowTitled(const QString &title)
{
    const QString pattern = u'^' + QRegularExpression::escape(title) + u'$';
    return run(QStringLiteral("xdotool"),
               {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                pattern})
        .section(u'\n', 0, 0)
        .trimmed();
}

void clickAt(QPoint point, int button)
{
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()),
         QStringLiteral("click"), QString::number(button)});
}

void click(const QString &window, int button)
{
    clickAt(clientRect(window).center(), button);
}

void key(const QString &keys)
{
    run(QStringLiteral("xdotool"),
        {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40"), keys});
}

void type(const QString &text)
{
    run(QStringLiteral("xdotool"),
        {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

QString activeWindow()
{
    return run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}).trimmed();
}

QString artifactPath(const QString &name)
{
    const QString folder = qEnvironmentVariable("TAVLO_TEST_ARTIFACTS", QDir::tempPath());
    QDir().mkpath(folder);
    return folder + u'/' + name + QStringLiteral(".png");
}

void screenshot(const QString &name)
{
    run(QStringLiteral("import"),
        {QStringLiteral("-window"), QStringLiteral("root"), artifactPath(name)});
}

} // namespace desktop

TavloProgram::TavloProgram()
{
    m_process.setProgram(QStringLiteral(TAVLO_BINARY));
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
}

TavloProgram::~TavloProgram()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QStringList TavloProgram::windows() const
{
    if (m_process.state() == QProcess::NotRunning)
        return {};
    QStringList windows =
        desktop::run(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--pid"), QString::number(pid())})
            .split(u'\n', Qt::SkipEmptyParts);
    // xdotool may list a window twice when it is reparented during the search.
    windows.removeDuplicates();
    return windows;
}

QString TavloProgram::visibleWindowTitled(const QString &title) const
{
    if (m_process.state() == QProcess::NotRunning)
        return {};
    return desktop::run(QStringLiteral("xdotool"),
                        {QStringLiteral("search"), QStringLiteral("--all"),
                         QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                         QString::number(pid()), QStringLiteral("--name"),
                         u'^' + QRegularExpression::escape(title) + u'$'})
        .section(u'\n', 0, 0)
        .trimmed();
}

QStringList TavloProgram::embeddedWindows() const
{
    const QRegularExpression root(QStringLiteral("Root window id: (0x[0-9a-f]+)"));
    const QRegularExpression parent(QStringLiteral("Parent window id: (0x[0-9a-f]+)"));
    QStringList embedded;
    for (const QString &window : windows()) {
        const QString info =
            desktop::run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
        const QString tree = desktop::run(QStringLiteral("xwininfo"),
                                          {QStringLiteral("-id"), window, QStringLiteral("-tree")});
        const QString parentId = parent.match(tree).captured(1);
        if (info.contains(QLatin1String("IsViewable")) &&
            info.contains(QLatin1String("Override Redirect State: yes")) && !parentId.isEmpty() &&
            parentId != root.match(tree).captured(1))
            embedded << window;
    }
    return embedded;
}

bool TavloProgram::waitForExit(int timeoutMs)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
}

bool TavloProcess::start()
{
    m_process.start();
    if (!m_process.waitForStarted())
        return false;
    // The main window carries the caption; the tray icon is the window embedded through XEmbed.
    const bool started = desktop::waitFor(
        [this] {
            for (const QString &window : windows()) {
                if (desktop::property(window, QStringLiteral("WM_NAME"))
                        .contains(QLatin1String("Tavlo")))
                    m_mainWindow = window;
                else if (desktop::property(window, QStringLiteral("_XEMBED_INFO")).contains(u'=') &&
                         desktop::isViewable(window))
                    m_trayWindow = window;
            }
            // Typing goes elsewhere until the window has the keyboard focus.
            return !m_mainWindow.isEmpty() && !m_trayWindow.isEmpty() &&
                   desktop::isViewable(m_mainWindow) &&
                   desktop::property(m_mainWindow, QStringLiteral("_NET_FRAME_EXTENTS"))
                       .contains(u'=') &&
                   desktop::activeWindow() == m_mainWindow;
        },
        30000);
    if (!started)
        qWarning() << "tavlo did not show its window and tray icon; main window" << m_mainWindow
                   << "tray icon" << m_trayWindow << "windows" << windows();
    return started;
}

QString TavloProcess::mainWindow()
{
    for (const QString &window : windows()) {
        if (desktop::property(window, QStringLiteral("WM_NAME")).contains(QLatin1String("Tavlo")) &&
            desktop::isViewable(window))
            m_mainWindow = window;
    }
    return m_mainWindow;
}

QStringList TavloProcess::visibleWindows() const
{
    QStringList visible;
    for (const QString &window : windows()) {
        if (desktop::isViewable(window))
            visible << window;
    }
    return visible;
}

QStringList TavloProcess::visiblePopupMenus() const
{
    QStringList menus;
    for (const QString &window : visibleWindows()) {
        // Popup menus are the program's override-redirect windows, beside the tray icon.
        if (window != m_trayWindow &&
            desktop::run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window})
                .contains(QLatin1String("Override Redirect State: yes")))
            menus << window;
    }
    return menus;
}

bool TavloProcess::openFileMenu()
{
    // The corner picture lies 30 twips (2 px at 96 dpi) inside the editor's bottom-right corner.
    desktop::clickAt(desktop::clientRect(mainWindow()).bottomRight() - QPoint(8, 8));
    return desktop::waitFor([this] { return !visiblePopupMenus().isEmpty(); });
}

bool TavloProcess::openTrayMenu()
{
    desktop::click(m_trayWindow, 3);
    return desktop::waitFor([this] { return !visiblePopupMenus().isEmpty(); });
}

bool TavloProcess::pick(const QString &accessKey)
{
    desktop::key(accessKey);
    const bool closed = desktop::waitFor([this] { return visiblePopupMenus().isEmpty(); });
    // Qt ignores a press that comes within moments of a popup closing.
    QTest::qWait(300);
    return closed;
}

namespace {

QString clipboardText()
{
    return desktop::run(
        QStringLiteral("xclip"),
        {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
}

// Puts a mark of the test's own into the clipboard: xclip keeps it there in the background
// until another program takes the clipboard over.
bool markClipboard(const QString &mark)
{
    QProcess xclip;
    xclip.setStandardOutputFile(QProcess::nullDevice());
    xclip.setStandardErrorFile(QProcess::nullDevice());
    xclip.start(QStringLiteral("xclip"),
                {QStringLiteral("-i"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    xclip.write(mark.toUtf8());
    xclip.closeWriteChannel();
    xclip.waitForFinished();
    return desktop::waitFor([&] { return clipboardText() == mark; });
}

} // namespace

QString desktop::copyFocusedText()
{
    // Read once Tavlo has taken the clipboard over, so that an earlier copy is never taken for
    // this one.
    const QString mark = QStringLiteral("(nothing copied)");
    if (!markClipboard(mark))
        qWarning() << "the clipboard did not take the mark";
    key(QStringLiteral("ctrl+a"));
    key(QStringLiteral("ctrl+c"));
    QString text;
    waitFor([&] { return (text = clipboardText()) != mark; });
    return text;
}
