// SPDX-License-Identifier: GPL-3.0-or-later
// The note's text box in the real program on a real desktop: typing through the X keyboard, its
// context menu, the X primary selection both ways, and what a screen reader reads through AT-SPI.
#include "DesktopDriver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
}

QTEST_MAIN(TestTextBox)
#include "tst_e2e_textbox.moc"
