// SPDX-License-Identifier: GPL-3.0-or-later
// The real program started as from a Wayland session that also offers X11 (DISPLAY set): it runs
// on X11, where it can place its window and keep it on top, unless the user chose a Qt platform.
// The Wayland socket named here does not exist, so nothing but the program's own choice keeps
// Qt from trying Wayland first; Qt's log of its platform plugin shows what was asked for.
#include "DesktopDriver.h"

#include <QDir>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTest>

using namespace desktop;

namespace {

const QString WaylandSocket = QStringLiteral("wayland-tavlo-test");

// Variables set for the program, by name.
using Environment = QMap<QString, QString>;

// One run of the program in an environment of the test's choosing, with everything it prints,
// Qt's platform plugin log included, kept in an artifact file.
class PlatformRun {
public:
    PlatformRun(const QString &name, const Environment &set, const QStringList &unset)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &variable : unset)
            environment.remove(variable);
        for (auto it = set.cbegin(); it != set.cend(); ++it)
            environment.insert(it.key(), it.value());
        environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                           QStringLiteral("qt.qpa.plugin=true"));
        const QString folder = qEnvironmentVariable("TAVLO_TEST_ARTIFACTS", QDir::tempPath());
        QDir().mkpath(folder);
        m_logPath = folder + QStringLiteral("/wayland-") + name + QStringLiteral(".log");
        m_process.setProgram(QStringLiteral(TAVLO_BINARY));
        m_process.setProcessEnvironment(environment);
        m_process.setWorkingDirectory(folder);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setStandardOutputFile(m_logPath);
    }
    ~PlatformRun()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    bool start()
    {
        m_process.start();
        return m_process.waitForStarted();
    }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    bool waitForExit(int timeoutMs) { return !isRunning() || m_process.waitForFinished(timeoutMs); }

    QString log() const
    {
        QFile file(m_logPath);
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }
    // The platform plugins Qt was asked to try, in order, as its log states them.
    QString requestedPlatforms() const
    {
        static const QRegularExpression line(
            QStringLiteral("init_platform called with pluginNamesWithArguments \"([^\"]*)\""));
        return line.match(log()).captured(1);
    }

    // The program's windows on the X display.
    QStringList windows() const
    {
        return run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--pid"),
                                               QString::number(m_process.processId())})
            .split(u'\n', Qt::SkipEmptyParts);
    }
    // The captioned main window, framed by the window manager, and the tray icon, embedded in
    // the tray, as a person sees them.
    bool waitForWindowAndTrayIcon()
    {
        return waitFor(
            [this] {
                bool window = false;
                bool trayIcon = false;
                for (const QString &id : windows()) {
                    if (!isViewable(id))
                        continue;
                    if (property(id, QStringLiteral("WM_NAME")).contains(QLatin1String("Tavlo")))
                        window = property(id, QStringLiteral("_NET_FRAME_EXTENTS")).contains(u'=');
                    else if (property(id, QStringLiteral("_XEMBED_INFO")).contains(u'='))
                        trayIcon = true;
                }
                return window && trayIcon;
            },
            15000);
    }

private:
    QProcess m_process;
    QString m_logPath;
};

QString describe(const PlatformRun &tavlo)
{
    return QStringLiteral("platforms asked for: \"%1\"; log:\n%2")
        .arg(tavlo.requestedPlatforms(), tavlo.log());
}

// Any window on the display captioned like the program's main window.
bool captionOnDisplay()
{
    return run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")})
        .contains(QLatin1String("\"Tavlo"));
}

} // namespace

class TestWaylandSession : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void runsOnX11UnderWayland_data();
    void runsOnX11UnderWayland();
    void keepsAnExplicitX11Choice();
    void keepsTheUsersOtherChoice();
    void leavesWaylandAloneWithoutX11();
};

void TestWaylandSession::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "the test runs on an X display");
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR", QDir::tempPath());
    QVERIFY2(!QFile::exists(runtime + u'/' + WaylandSocket), "the Wayland socket must not exist");
}

void TestWaylandSession::runsOnX11UnderWayland_data()
{
    QTest::addColumn<Environment>("session");
    const QString display = QStringLiteral("WAYLAND_DISPLAY");
    const QString type = QStringLiteral("XDG_SESSION_TYPE");
    QTest::newRow("WAYLAND_DISPLAY") << Environment{{display, WaylandSocket}};
    QTest::newRow("XDG_SESSION_TYPE") << Environment{{type, QStringLiteral("wayland")}};
    QTest::newRow("both") << Environment{{display, WaylandSocket},
                                         {type, QStringLiteral("wayland")}};
}

void TestWaylandSession::runsOnX11UnderWayland()
{
    QFETCH(const Environment, session);
    PlatformRun tavlo(QString::fromLatin1(QTest::currentDataTag()), session,
                      {QStringLiteral("QT_QPA_PLATFORM")});
    QVERIFY(tavlo.start());
    QVERIFY2(tavlo.waitForWindowAndTrayIcon(), qPrintable(describe(tavlo)));
    screenshot(QStringLiteral("wayland-session-") + QString::fromLatin1(QTest::currentDataTag()));
    // X11 was the program's choice: Qt did not try Wayland first and fall back.
    QVERIFY2(tavlo.requestedPlatforms() == QLatin1String("xcb"), qPrintable(describe(tavlo)));
    QVERIFY2(!tavlo.log().contains(QLatin1String("\"wayland\"")), qPrintable(describe(tavlo)));
}

void TestWaylandSession::keepsAnExplicitX11Choice()
{
    PlatformRun tavlo(QStringLiteral("explicit-xcb"),
                      {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")},
                       {QStringLiteral("WAYLAND_DISPLAY"), WaylandSocket},
                       {QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland")}},
                      {});
    QVERIFY(tavlo.start());
    QVERIFY2(tavlo.waitForWindowAndTrayIcon(), qPrintable(describe(tavlo)));
    QCOMPARE(tavlo.requestedPlatforms(), QStringLiteral("xcb"));
}

void TestWaylandSession::keepsTheUsersOtherChoice()
{
    // Earlier runs' windows are gone with their programs.
    QVERIFY(waitFor([] { return !captionOnDisplay(); }));
    PlatformRun tavlo(QStringLiteral("explicit-offscreen"),
                      {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")},
                       {QStringLiteral("WAYLAND_DISPLAY"), WaylandSocket},
                       {QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland")}},
                      {});
    QVERIFY(tavlo.start());
    QTest::qWait(2000);
    // It runs, but not on the X display.
    QVERIFY2(tavlo.isRunning(), qPrintable(describe(tavlo)));
    QCOMPARE(tavlo.requestedPlatforms(), QStringLiteral("offscreen"));
    QCOMPARE(tavlo.windows(), QStringList());
    QVERIFY(!captionOnDisplay());
}

void TestWaylandSession::leavesWaylandAloneWithoutX11()
{
    // Without DISPLAY there is no X11 to prefer: the choice is left to Qt, which finds neither
    // a Wayland compositor nor an X display here, and so the program cannot start.
    PlatformRun tavlo(QStringLiteral("no-display"),
                      {{QStringLiteral("WAYLAND_DISPLAY"), WaylandSocket}},
                      {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("DISPLAY")});
    QVERIFY(tavlo.start());
    QVERIFY2(tavlo.waitForExit(10000), qPrintable(describe(tavlo)));
    QVERIFY2(!tavlo.requestedPlatforms().isEmpty(), qPrintable(describe(tavlo)));
    QVERIFY2(tavlo.requestedPlatforms() != QLatin1String("xcb"), qPrintable(describe(tavlo)));
}

QTEST_GUILESS_MAIN(TestWaylandSession)
#include "tst_e2e_wayland.moc"
