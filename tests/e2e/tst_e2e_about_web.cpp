// SPDX-License-Identifier: GPL-3.0-or-later
// The tray menu's About box and On the Web submenu, on a real desktop with a system tray.
#include "DesktopDriver.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <utility>
#include <vector>

using namespace desktop;

namespace {

const QString Base = QStringLiteral("https://tavlo.example");

// Changes the environment that a TavloProcess started meanwhile inherits, and puts it back.
class EnvironmentOverride {
public:
    EnvironmentOverride() = default;
    EnvironmentOverride(const EnvironmentOverride &) = delete;
    EnvironmentOverride &operator=(const EnvironmentOverride &) = delete;
    ~EnvironmentOverride()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second.isNull())
                qunsetenv(it->first.constData());
            else
                qputenv(it->first.constData(), it->second);
        }
    }
    void set(const char *name, const QString &value)
    {
        remember(name);
        qputenv(name, value.toLocal8Bit());
    }
    void unset(const char *name)
    {
        remember(name);
        qunsetenv(name);
    }

private:
    void remember(const char *name)
    {
        // A null value stands for a variable that was not set at all.
        m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray());
    }
    std::vector<std::pair<QByteArray, QByteArray>> m_saved;
};

// A stand-in for xdg-open, first on the PATH that Tavlo inherits, that records each address.
class RecordingOpener {
public:
    bool install(const QString &script, EnvironmentOverride &environment)
    {
        if (!m_dir.isValid())
            return false;
        const QString opener = m_dir.filePath(QStringLiteral("xdg-open"));
        // Copied so that it is executable whatever a checkout did to the script's mode.
        if (!QFile::copy(script, opener) ||
            !QFile::setPermissions(opener, QFile::ReadOwner | QFile::ExeOwner))
            return false;
        environment.set("TAVLO_XDG_OPEN_LOG", m_dir.filePath(QStringLiteral("opened.log")));
        environment.set("PATH", m_dir.path() + u':' + qEnvironmentVariable("PATH"));
        return true;
    }
    QStringList recorded() const
    {
        QFile log(m_dir.filePath(QStringLiteral("opened.log")));
        if (!log.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        return QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_dir;
};

QString aboutWindow()
{
    return visibleWindowTitled(QStringLiteral("About Tavlo1.0.8"));
}

// The main window by its exact title: while the About box is open the driver's own lookup, which
// takes any window with "Tavlo" in its title, could find the box instead.
bool mainWindowVisible()
{
    return !visibleWindowTitled(QStringLiteral("Tavlo 1.0.8")).isEmpty();
}

// The area the window manager leaves to windows: the screen without its toolbar.
QRect workArea()
{
    const QString text =
        run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_WORKAREA")});
    QList<int> values;
    const QRegularExpression number(QStringLiteral("\\d+"));
    for (auto it = number.globalMatch(text.section(u'=', 1)); it.hasNext();)
        values << it.next().captured().toInt();
    if (values.size() < 4)
        return QRect(QPoint(0, 0), screenSize());
    return {values[0], values[1], values[2], values[3]};
}

// In half pixels, so that odd sizes compare exactly.
QPointF centreOf(const QRect &rect)
{
    return {rect.x() + rect.width() / 2.0, rect.y() + rect.height() / 2.0};
}

QString describe(const QRect &r)
{
    return QStringLiteral("%1x%2+%3+%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
}

// The Ok button lies at 3780, 2760 twips, 855 x 375 large, inside the box: at 96 dpi a twip is
// 1/15 px.
QPoint okButtonCentre(const QString &about)
{
    const QRect button(252, 184, 57, 25);
    return clientRect(about).topLeft() + button.center();
}

} // namespace

class TestAboutAndWebOnDesktop : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyWebEntryOpensItsAddress();
    void webEntryWhileHiddenKeepsTheWindowHidden();
    void webEntryWithoutAnyOpenerLeavesTavloRunning();
    void aboutBoxIsModalCentredAndClosedOnlyByItsButton();

private:
    // Right click on the tray icon, "On the &Web", then the entry's access key.
    static bool pickWebEntry(TavloProcess &tavlo, const QString &accessKey)
    {
        if (!tavlo.openTrayMenu())
            return false;
        key(QStringLiteral("w"));
        if (!waitFor([&] { return tavlo.visiblePopupMenus().size() == 2; }))
            return false;
        return tavlo.pick(accessKey);
    }
    // File menu from the corner picture, then "&Hide".
    static bool hideToTray(TavloProcess &tavlo)
    {
        return tavlo.openFileMenu() && tavlo.pick(QStringLiteral("h")) &&
               waitFor([] { return !mainWindowVisible(); });
    }
    static bool exitsFromTrayMenu(TavloProcess &tavlo)
    {
        return tavlo.openTrayMenu() && tavlo.pick(QStringLiteral("e")) && tavlo.waitForExit() &&
               tavlo.exitStatus() == QProcess::NormalExit && tavlo.exitCode() == 0;
    }
    void verifyCentred(const QString &about);

    QString m_recorder;
};

void TestAboutAndWebOnDesktop::initTestCase()
{
    m_recorder = QFINDTESTDATA("record-xdg-open.sh");
    QVERIFY(!m_recorder.isEmpty());
}

void TestAboutAndWebOnDesktop::everyWebEntryOpensItsAddress()
{
    EnvironmentOverride environment;
    RecordingOpener opener;
    QVERIFY(opener.install(m_recorder, environment));
    TavloProcess tavlo;
    QVERIFY(tavlo.start());

    const std::pair<const char *, const char *> entries[] = {
        {"t", "/marlov/SOFTWARE/sftTavlo.html"},      {"f", "/marlov/SOFTWARE/sftTavlo-FAQ.html"},
        {"k", "/marlov/SOFTWARE/sftTavlo-Bugs.html"}, {"s", "/marlov/SOFTWARE/support.html"},
        {"o", "/marlov/SOFTWARE/index.html"},         {"b", "/marlov/SOFTWARE/feedback.html"},
        {"r", "/marlov/SOFTWARE/bugreport.html"},     {"h", "/marlov/index.html"},
    };
    QStringList expected;
    for (const auto &[accessKey, path] : entries) {
        QVERIFY2(pickWebEntry(tavlo, QLatin1String(accessKey)), accessKey);
        expected << Base + QLatin1String(path);
        // One address per pick, in the order picked.
        QVERIFY2(waitFor([&] { return opener.recorded().size() >= expected.size(); }), accessKey);
        QCOMPARE(opener.recorded(), expected);
    }
    QVERIFY(mainWindowVisible());
    QVERIFY(exitsFromTrayMenu(tavlo));
    QCOMPARE(opener.recorded(), expected);
}

void TestAboutAndWebOnDesktop::webEntryWhileHiddenKeepsTheWindowHidden()
{
    EnvironmentOverride environment;
    RecordingOpener opener;
    QVERIFY(opener.install(m_recorder, environment));
    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    QVERIFY(hideToTray(tavlo));

    QVERIFY(pickWebEntry(tavlo, QStringLiteral("k")));
    QVERIFY(waitFor([&] { return !opener.recorded().isEmpty(); }));
    QCOMPARE(opener.recorded(), QStringList{Base + "/marlov/SOFTWARE/sftTavlo-Bugs.html"});
    QVERIFY(!mainWindowVisible());

    // The icon still brings the window back afterwards.
    click(tavlo.trayWindow(), 1);
    QVERIFY(waitFor(mainWindowVisible));
}

void TestAboutAndWebOnDesktop::webEntryWithoutAnyOpenerLeavesTavloRunning()
{
    // The only folder on the PATH holds the tools this test drives the desktop with, and no
    // opener nor browser; Tavlo itself is started by its absolute path.
    QTemporaryDir tools;
    QVERIFY(tools.isValid());
    for (const char *tool : {"xdotool", "xprop", "xwininfo"}) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(tool));
        QVERIFY2(!found.isEmpty(), tool);
        QVERIFY(QFile::link(found, tools.filePath(QLatin1String(tool))));
    }
    EnvironmentOverride environment;
    environment.set("PATH", tools.path());
    environment.unset("BROWSER");
    environment.unset("DEFAULT_BROWSER");
    QVERIFY(QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty());

    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    QVERIFY(pickWebEntry(tavlo, QStringLiteral("t")));
    QVERIFY(pickWebEntry(tavlo, QStringLiteral("h")));
    // Still answering: the window is there, the tray menu opens, and Exit ends the program.
    QVERIFY(mainWindowVisible());
    QVERIFY(exitsFromTrayMenu(tavlo));
}

void TestAboutAndWebOnDesktop::verifyCentred(const QString &about)
{
    // A person sees the whole window, title bar included, so the frame is what must be centred;
    // it is centred on the work area, the part of the screen the toolbar leaves to windows,
    // which is where the window manager centres windows too. The box centres itself again once
    // the window manager has framed it.
    QPointF offset;
    const auto centred = [&] {
        offset = centreOf(frameRect(about)) - centreOf(workArea());
        return qAbs(offset.x()) <= 2 && qAbs(offset.y()) <= 2;
    };
    // A busy window manager may take its time.
    const bool isCentred = waitFor(centred, 15000);
    const QString where =
        QStringLiteral("frame %1, client %2, work area %3")
            .arg(describe(frameRect(about)), describe(clientRect(about)), describe(workArea()));
    // Inner area 4695 x 3195 twips.
    QCOMPARE(clientRect(about).size(), QSize(313, 213));
    QVERIFY2(isCentred, qPrintable(where));
}

void TestAboutAndWebOnDesktop::aboutBoxIsModalCentredAndClosedOnlyByItsButton()
{
    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    QVERIFY(hideToTray(tavlo));

    QVERIFY(tavlo.openTrayMenu());
    QVERIFY(tavlo.pick(QStringLiteral("b")));
    QVERIFY(waitFor([] { return !aboutWindow().isEmpty(); }));
    const QString about = aboutWindow();
    QVERIFY(waitFor([&] { return frameExtents(about) != QList<int>{0, 0, 0, 0}; }));
    QVERIFY(waitFor([&] { return activeWindow().toULongLong() == about.toULongLong(); }));
    screenshot(QStringLiteral("about-box"));
    QVERIFY(
        desktop::property(about, QStringLiteral("_NET_WM_STATE")).contains("_NET_WM_STATE_MODAL"));
    verifyCentred(about);
    if (QTest::currentTestFailed())
        return;

    // While the box is open the tray icon acts on no click. On an XEmbed tray Qt's modality
    // already keeps clicks from the icon; the unit test checks the program's own switch.
    click(tavlo.trayWindow(), 1);
    QVERIFY(!waitFor(mainWindowVisible, 1000));
    click(tavlo.trayWindow(), 3);
    QVERIFY(!waitFor([&] { return !tavlo.visiblePopupMenus().isEmpty(); }, 1000));
    QVERIFY(!aboutWindow().isEmpty());

    // The clicks went to the tray; the box takes the keyboard again as a person would give it.
    click(about, 1);
    QVERIFY(waitFor([&] { return activeWindow().toULongLong() == about.toULongLong(); }));
    key(QStringLiteral("Escape"));
    QVERIFY(!waitFor([] { return aboutWindow().isEmpty(); }, 1000));
    key(QStringLiteral("alt+o"));
    QVERIFY(waitFor([] { return aboutWindow().isEmpty(); }));
    QVERIFY(!mainWindowVisible());

    // Closed: the icon acts again.
    click(tavlo.trayWindow(), 1);
    QVERIFY(waitFor(mainWindowVisible));

    // A second time, while the window is shown, closed by a click on Ok.
    QVERIFY(tavlo.openTrayMenu());
    QVERIFY(tavlo.pick(QStringLiteral("b")));
    QVERIFY(waitFor([] { return !aboutWindow().isEmpty(); }));
    const QString again = aboutWindow();
    QVERIFY(waitFor([&] { return frameExtents(again) != QList<int>{0, 0, 0, 0}; }));
    verifyCentred(again);
    if (QTest::currentTestFailed())
        return;
    clickAt(okButtonCentre(again));
    QVERIFY(waitFor([] { return aboutWindow().isEmpty(); }));
    QVERIFY(mainWindowVisible());

    QVERIFY(exitsFromTrayMenu(tavlo));
}

QTEST_GUILESS_MAIN(TestAboutAndWebOnDesktop)
#include "tst_e2e_about_web.moc"
