// SPDX-License-Identifier: GPL-3.0-or-later
// The note's text box in the real program on a real desktop: typing through the X keyboard, its
// context menu, the X primary selection both ways (from mouse and keyboard selections), and what
// a screen reader reads through AT-SPI.
#include "DesktopDriver.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace desktop;

namespace {

// What a screen reader reads of the note: its text, caret and selection.
struct ReadNote {
    QString text;
    int caret = -1;
    bool editable = false;
    QList<int> selection;
};

ReadNote readByAtSpi()
{
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TAVLO_E2E_DIR "/atspi-note.py"), QStringLiteral("tavlo")});
    if (!reader.waitForFinished(20000) || reader.exitCode() != 0) {
        qWarning() << "atspi-note.py:" << reader.readAllStandardError();
        return {};
    }
    const QJsonObject read = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
    ReadNote note{read.value(QStringLiteral("text")).toString(),
                  read.value(QStringLiteral("caret")).toInt(-1),
                  read.value(QStringLiteral("editable")).toBool(),
                  {}};
    for (const QJsonValue &offset : read.value(QStringLiteral("selection")).toArray())
        note.selection.append(offset.toInt());
    return note;
}

// Characters the keyboard map lacks are typed by mapping a spare key to each in turn; Qt must see
// the new map before the key, so these go slower than plain typing.
void typeSlowly(const QString &text)
{
    run(QStringLiteral("xdotool"),
        {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("150"), text});
}

QString primarySelection()
{
    return run(QStringLiteral("xclip"),
               {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("primary")});
}

// An IBus daemon of the test's own, with its configuration in a folder of its own, composing with
// an m17n engine. It stops with the test.
class IBusDaemon {
public:
    IBusDaemon()
    {
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("HOME"), m_home.path());
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
        m_environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_home.filePath("cache"));
        m_environment.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));
        m_daemon.setProcessEnvironment(m_environment);
        m_daemon.start(QStringLiteral("ibus-daemon"),
                       {QStringLiteral("--panel=disable"),
                        QStringLiteral("--emoji-extension=disable"), QStringLiteral("--replace")});
    }
    ~IBusDaemon()
    {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(5000)) {
            m_daemon.kill();
            m_daemon.waitForFinished(3000);
        }
    }
    // The file that tells a program's Qt where the daemon listens, once it does; empty till then.
    QString addressFile() const
    {
        const QDir bus(configHome() + QStringLiteral("/ibus/bus"));
        const QStringList files = bus.entryList(QDir::Files);
        return files.isEmpty() || ibus({QStringLiteral("address")}).isEmpty()
                   ? QString()
                   : bus.filePath(files.first());
    }
    // Switches the focused input context, and the ones made later, to the engine.
    bool useEngine(const QString &engine) const
    {
        return waitFor(
            [&] {
                ibus({QStringLiteral("engine"), engine});
                return ibus({QStringLiteral("engine")}) == engine;
            },
            20000);
    }

private:
    QString configHome() const { return m_home.filePath(QStringLiteral("config")); }
    QString ibus(const QStringList &arguments) const
    {
        QProcess ibus;
        ibus.setProcessEnvironment(m_environment);
        ibus.start(QStringLiteral("ibus"), arguments);
        ibus.waitForFinished(10000);
        const QString output = QString::fromUtf8(ibus.readAllStandardOutput()).trimmed();
        return output == u"(null)" ? QString() : output;
    }

    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    QProcess m_daemon;
};

} // namespace

class TestTextBox : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void typingIsReadByAScreenReader();
    void contextMenuSelectsAll();
    void primarySelectionBothWays();
    void inputMethodCommitsBeforeAClick();

private:
    QProcess m_accessibilityBus;
    std::unique_ptr<TavloProcess> m_tavlo;
    QRect m_editor;
};

void TestTextBox::initTestCase()
{
    QVERIFY2(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS") ==
                 qEnvironmentVariable("TAVLO_TEST_PRIVATE_BUS"),
             "run through with-session-bus.sh");
    // The accessibility bus, as a desktop session starts it; Qt finds it through the session bus.
    m_accessibilityBus.start(QStringLiteral("/usr/libexec/at-spi-bus-launcher"),
                             {QStringLiteral("--launch-immediately")});
    QVERIFY(m_accessibilityBus.waitForStarted());
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
}

// Asked to end, the launcher stops the bus daemon it started; killed, it would leave it running.
void TestTextBox::cleanupTestCase()
{
    m_accessibilityBus.terminate();
    QVERIFY(m_accessibilityBus.waitForFinished(20000));
}

void TestTextBox::init()
{
    m_tavlo = std::make_unique<TavloProcess>();
    QVERIFY(m_tavlo->start());
    m_editor = clientRect(m_tavlo->mainWindow());
}

void TestTextBox::cleanup()
{
    m_tavlo.reset();
}

void TestTextBox::typingIsReadByAScreenReader()
{
    // Accents, a character beyond the BMP and editing keys, through the X keyboard.
    typeSlowly(QStringLiteral("h\u00e9llo w\u00f6rld \U0001F600!"));
    key(QStringLiteral("BackSpace"));
    key(QStringLiteral("Left"));
    key(QStringLiteral("Left"));
    type(QStringLiteral("ok"));
    const QString expected = QStringLiteral("h\u00e9llo w\u00f6rldok \U0001F600");
    ReadNote note;
    QVERIFY2(waitFor([&] { return (note = readByAtSpi()).text == expected; }, 20000),
             qPrintable(note.text));
    QVERIFY(note.editable);
    // Offsets in characters, as AT-SPI counts them: the caret is after "ok".
    QCOMPARE(note.caret, 13);
}

void TestTextBox::contextMenuSelectsAll()
{
    type(QStringLiteral("all of it"));
    clickAt(m_editor.center(), 3);
    QVERIFY(waitFor([&] { return !m_tavlo->visiblePopupMenus().isEmpty(); }));
    screenshot(QStringLiteral("context-menu"));
    // "Select All" is the menu's last item: Up from none wraps around to it.
    key(QStringLiteral("Up"));
    key(QStringLiteral("Return"));
    QVERIFY(waitFor([&] { return m_tavlo->visiblePopupMenus().isEmpty(); }));
    ReadNote note;
    QVERIFY(waitFor([&] { return (note = readByAtSpi()).selection == QList<int>{0, 9}; }, 20000));
}

void TestTextBox::primarySelectionBothWays()
{
    type(QStringLiteral("pick word"));
    // A double-click on the first word selects it, and the selection is the primary selection.
    const QPoint firstWord = m_editor.topLeft() + QPoint(12, 12);
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(firstWord.x()),
         QString::number(firstWord.y()), QStringLiteral("click"), QStringLiteral("--repeat"),
         QStringLiteral("2"), QStringLiteral("1")});
    QVERIFY2(waitFor([&] { return primarySelection() == QLatin1String("pick"); }),
             qPrintable(primarySelection()));
    // Another program's selection goes in with a middle click at the click's place. The owner
    // stays in the foreground, so that the test can end it.
    QProcess owner;
    owner.start(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-i"),
                                          QStringLiteral("-selection"), QStringLiteral("primary")});
    owner.write("from elsewhere ");
    owner.closeWriteChannel();
    QVERIFY(waitFor([&] { return primarySelection() == QLatin1String("from elsewhere "); }));
    clickAt(m_editor.topLeft() + QPoint(5, 12), 2);
    ReadNote note;
    QVERIFY(waitFor(
        [&] { return (note = readByAtSpi()).text == QLatin1String("from elsewhere pick word"); },
        20000));
    owner.terminate();
    QVERIFY(owner.waitForFinished());
    // A selection made with keys is the primary selection too.
    key(QStringLiteral("ctrl+End"));
    key(QStringLiteral("Return"));
    type(QStringLiteral("gamma"));
    key(QStringLiteral("ctrl+a"));
    key(QStringLiteral("ctrl+End"));
    key(QStringLiteral("shift+Home"));
    QVERIFY2(waitFor([&] { return primarySelection() == QLatin1String("gamma"); }),
             qPrintable(primarySelection()));
}

// Vietnamese telex composes "oo" into "ô"; a click elsewhere commits it where it was composed,
// as QPlainTextEdit does, instead of leaving it drawn there and composing on at the click.
void TestTextBox::inputMethodCommitsBeforeAClick()
{
    // Configured without IBus or its m17n engine, the test is told so by ctest.
    if (qEnvironmentVariableIsSet("TAVLO_TEST_WITHOUT_IBUS") ||
        QStandardPaths::findExecutable(QStringLiteral("ibus-daemon")).isEmpty())
        QSKIP("IBus or its m17n engine is not installed");
    const IBusDaemon ibus;
    QString addressFile;
    QVERIFY2(waitFor([&] { return !(addressFile = ibus.addressFile()).isEmpty(); }, 20000),
             "ibus-daemon did not start");
    m_tavlo.reset();
    qputenv("QT_IM_MODULE", "ibus");
    qputenv("IBUS_ADDRESS_FILE", QFile::encodeName(addressFile));
    m_tavlo = std::make_unique<TavloProcess>();
    const bool started = m_tavlo->start();
    qunsetenv("QT_IM_MODULE");
    qunsetenv("IBUS_ADDRESS_FILE");
    QVERIFY(started);
    QVERIFY(ibus.useEngine(QStringLiteral("m17n:vi:telex")));
    type(QStringLiteral("ab "));
    ReadNote note;
    QVERIFY(waitFor([&] { return (note = readByAtSpi()).text == QLatin1String("ab "); }, 20000));
    type(QStringLiteral("oo"));
    screenshot(QStringLiteral("composing"));
    clickAt(clientRect(m_tavlo->mainWindow()).topLeft() + QPoint(5, 12));
    // The m17n engine, reset after the commit, hands its composition over once more, at the
    // caret's new place; QPlainTextEdit gets it twice alike. Only the first is the box's doing.
    QVERIFY2(waitFor([&] { return (note = readByAtSpi()).text.endsWith(u"ab \u00F4"); }, 20000),
             qPrintable(note.text));
}

QTEST_MAIN(TestTextBox)
#include "tst_e2e_textbox.moc"
