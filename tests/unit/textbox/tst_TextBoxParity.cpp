// SPDX-License-Identifier: GPL-3.0-or-later
// The text box against QPlainTextEdit: the same random editing goes to both, and after every step
// both must hold the same text with the caret and the selection anchor in the same places.
//
// A failure prints the seed and the steps, shrunk to the fewest that still fail. Set
// TAVLO_PARITY_SEED to a number to try that seed for every kind of text, or to "random".
#include "EditScript.h"
#include "EditorPair.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QMetaEnum>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTest>

#include <optional>

#if __has_include(<qpa/qplatformaccessibility.h>)
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#define TAVLO_ACCESSIBILITY_SWITCH
#endif

using namespace editscript;

namespace {

constexpr int StepsPerSeed = 150;
// Replays spent on shrinking a failing script.
constexpr int ShrinkBudget = 300;

struct Mismatch {
    qsizetype stepCount; // the steps taken when the two parted, 0 for the initial text
    EditorState box;
    EditorState edit;
};

// Replays the script on a fresh pair, comparing after every step, from an empty clipboard or one
// that holds clipboardText.
std::optional<Mismatch> firstMismatch(const Script &script, const QString &clipboardText = {})
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (clipboardText.isEmpty()) {
        clipboard->clear();
    } else {
        clipboard->setText(clipboardText);
        if (clipboard->supportsSelection())
            clipboard->setText(clipboardText, QClipboard::Selection);
    }
    EditorPair pair(script.initialText);
    if (!pair.isReady())
        qFatal("The editors were not shown alike");
    for (qsizetype done = 0;; ++done) {
        const EditorState box = pair.boxState();
        const EditorState edit = pair.editState();
        if (!(box == edit))
            return Mismatch{done, box, edit};
        if (done == script.steps.size())
            return std::nullopt;
        pair.apply(script.steps.at(done));
    }
}

// Drops runs of steps, long ones first, then lines of the initial text, for as long as the script
// still fails somewhere.
Script shrunk(Script script, int replays)
{
    const auto keepIfFailing = [&script, &replays](Script candidate) {
        --replays;
        const auto mismatch = firstMismatch(candidate);
        if (!mismatch)
            return false;
        candidate.steps.resize(mismatch->stepCount);
        script = candidate;
        return true;
    };
    for (qsizetype run = script.steps.size() / 2; run >= 1 && replays > 0; run /= 2) {
        for (qsizetype from = 0; from < script.steps.size() && replays > 0;) {
            Script candidate = script;
            candidate.steps.remove(from, std::min(run, candidate.steps.size() - from));
            if (!keepIfFailing(candidate))
                from += run;
        }
    }
    QStringList lines = script.initialText.split(u'\n');
    for (qsizetype line = lines.size() - 1; line >= 0 && lines.size() > 1 && replays > 0; --line) {
        QStringList fewer = lines;
        fewer.removeAt(line);
        Script candidate = script;
        candidate.initialText = fewer.join(u'\n');
        if (keepIfFailing(candidate))
            lines = fewer;
    }
    return script;
}

// Code points as \u{...} past ASCII, so that accents, joiners and directions show.
QString escaped(QStringView text)
{
    QString result;
    for (const char32_t c : text.toUcs4()) {
        if (c >= 0x20 && c < 0x7f)
            result += QChar(c);
        else
            result += QStringLiteral("\\u{%1}").arg(uint(c), 0, 16);
    }
    return result;
}

// The caret and anchor, and the text from a little before where it differs from other's.
QString describe(const EditorState &state, const EditorState &other)
{
    const QString caret = QStringLiteral("caret %1, anchor %2").arg(state.cursor).arg(state.anchor);
    if (state.text == other.text)
        return caret;
    qsizetype from = 0;
    while (from < state.text.size() && from < other.text.size() &&
           state.text.at(from) == other.text.at(from))
        ++from;
    from = std::max<qsizetype>(0, from - 20);
    return caret + QStringLiteral(", text from %1: \"%2\"")
                       .arg(from)
                       .arg(escaped(QStringView(state.text).mid(from, 60)));
}

// Qt sends accessibility events only while QAccessible::isActive(), which asks the platform's
// QPlatformAccessibility; a bridge turns that on once a screen reader is there. Offscreen there is
// no bridge, and neither QAccessible::setActive() (it only tells activation observers) nor an
// update handler turns it on: only QPlatformAccessibility::setActive() does, which takes Qt's
// private headers, as in Qt's own accessibility tests.
void setAccessibilityActive([[maybe_unused]] bool active)
{
#ifdef TAVLO_ACCESSIBILITY_SWITCH
    if (QPlatformAccessibility *platform =
            QGuiApplicationPrivate::platformIntegration()->accessibility())
        platform->setActive(active);
#endif
}

// The events sent while accessibility is on in screenReaderEdits(), as their objects and types.
QList<std::pair<const QObject *, QAccessible::Event>> heardEvents;

QString heardFrom(const QObject *object)
{
    return QStringLiteral("caret moves: %1, selection changes: %2")
        .arg(heardEvents.count({object, QAccessible::TextCaretMoved}))
        .arg(heardEvents.count({object, QAccessible::TextSelectionChanged}));
}

const char *kindName(TextKind kind)
{
    switch (kind) {
    case TextKind::Ascii:
        return "ascii";
    case TextKind::Accented:
        return "accented";
    case TextKind::Emoji:
        return "emoji";
    case TextKind::MixedDirection:
        return "mixed-direction";
    }
    return "";
}

} // namespace

class tst_TextBoxParity : public QObject {
    Q_OBJECT

private slots:
    void sameAsPlainTextEdit_data();
    void sameAsPlainTextEdit();
    void rarelyHitByChance_data();
    void rarelyHitByChance();
    void rightToLeftPoints_data();
    void rightToLeftPoints();
    void screenReaderEdits_data();
    void screenReaderEdits();
    void rowsKeepTheirLineContext_data();
    void rowsKeepTheirLineContext();
    void standardKeys_data();
    void standardKeys();
    void keyboardSelectionIsThePrimarySelection();
};

void tst_TextBoxParity::sameAsPlainTextEdit_data()
{
    QTest::addColumn<TextKind>("kind");
    QTest::addColumn<quint32>("seed");
    const QByteArray trySeed = qgetenv("TAVLO_PARITY_SEED");
    const quint32 seeds[] = {1, 2, 3, 4, 5, 6};
    for (const TextKind kind :
         {TextKind::Ascii, TextKind::Accented, TextKind::Emoji, TextKind::MixedDirection}) {
        if (trySeed.isEmpty()) {
            for (const quint32 seed : seeds)
                QTest::addRow("%s seed %u", kindName(kind), seed) << kind << seed;
            continue;
        }
        const quint32 seed =
            trySeed == "random" ? QRandomGenerator::global()->generate() : trySeed.toUInt();
        QTest::addRow("%s seed %u", kindName(kind), seed) << kind << seed;
    }
}

void tst_TextBoxParity::sameAsPlainTextEdit()
{
    QFETCH(TextKind, kind);
    QFETCH(quint32, seed);
    const Script script = randomScript(kind, seed, StepsPerSeed, EditorPair::Size.width() - 4);
    const auto mismatch = firstMismatch(script);
    if (!mismatch)
        return;
    Script failing = script;
    failing.steps.resize(mismatch->stepCount);
    failing = shrunk(failing, ShrinkBudget);
    const Mismatch shown = firstMismatch(failing).value_or(*mismatch);
    qWarning().noquote() << QStringLiteral("Seed %1 (%2 text) parts after step %3 of:\n%4"
                                           "  box:            %5\n"
                                           "  QPlainTextEdit: %6")
                                .arg(seed)
                                .arg(QLatin1String(kindName(kind)))
                                .arg(shown.stepCount)
                                .arg(failing.describe())
                                .arg(describe(shown.box, shown.edit))
                                .arg(describe(shown.edit, shown.box));
    QFAIL("The text box and QPlainTextEdit differ");
}

Step key(QKeyCombination combination)
{
    Step step;
    step.key = combination;
    return step;
}

Step typed(const QString &text)
{
    Step step;
    step.kind = Step::Kind::Type;
    step.text = text;
    return step;
}

Step clickAt(int x, double along)
{
    Step step;
    step.kind = Step::Kind::Click;
    step.x = x;
    step.along = along;
    return step;
}

void tst_TextBoxParity::rarelyHitByChance_data()
{
    QTest::addColumn<Script>("script");
    const QString lines = QStringLiteral("one two three four\nfive six seven\neight nine ten");
    QTest::newRow("a click sets the column Up keeps")
        << Script{lines, {key(Qt::Key_Down), clickAt(90, 0.9), key(Qt::Key_Up)}};
    const Step enter = key(Qt::Key_Return);
    const Step undo = key(Qt::ControlModifier | Qt::Key_Z);
    const Step redo = key(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Z);
    const Step toStart = key(Qt::ControlModifier | Qt::Key_Home);
    QTest::newRow("Enter on empty lines comes undone in two steps each") << Script{
        QString(), {enter, enter, typed(QStringLiteral("ab")), undo, undo, undo, undo, undo}};
    QTest::newRow("Enter on empty lines after a letter")
        << Script{QString(),
                  {typed(QStringLiteral("x")), enter, enter, typed(QStringLiteral("ab")), undo,
                   undo, undo, undo, undo}};
    QTest::newRow("Enter over a selection to the start comes undone")
        << Script{QString(),
                  {enter, enter, key(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Home), enter,
                   enter, undo, undo, undo, undo, typed(QStringLiteral("@"))}};
    QStringList manyLines;
    for (int i = 1; i <= 164; ++i)
        manyLines << QStringLiteral("line %1 of the pasted text").arg(i);
    const Step pageUp = key(Qt::Key_PageUp);
    QTest::newRow("a page after an undone Enter")
        << Script{manyLines.join(u'\n'),
                  {key(Qt::ControlModifier | Qt::Key_A), key(Qt::ControlModifier | Qt::Key_X),
                   key(Qt::ControlModifier | Qt::Key_V), enter, undo, pageUp, pageUp}};
    QTest::newRow("a page down from the start of a short right-to-left text") << Script{
        QStringLiteral("\u05E9\u05DC\u05D5\u05DD 123 abc\n\u0645\u0631\u062D\u0628\u0627"),
        {key(Qt::ControlModifier | Qt::Key_End),
         key(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Home),
         key(Qt::ShiftModifier | Qt::Key_PageDown)}};
    QTest::newRow("Enter on an empty line puts the caret past it when undone")
        << Script{QStringLiteral("abc\n\ndef"),
                  {key(Qt::Key_Down), enter, undo, toStart, undo, toStart, redo, redo}};
    // Right-to-left and left-to-right marks are how bidirectional text is typed by hand.
    QTest::newRow("format characters are typed")
        << Script{QString(), {typed(QStringLiteral("a\u200Fb\u200Ec\u00ADd\u2060e"))}};
}

void tst_TextBoxParity::rarelyHitByChance()
{
    QFETCH(Script, script);
    const auto mismatch = firstMismatch(script);
    if (mismatch)
        qWarning().noquote() << "after step" << mismatch->stepCount
                             << "box:" << describe(mismatch->box, mismatch->edit)
                             << "QPlainTextEdit:" << describe(mismatch->edit, mismatch->box);
    QVERIFY2(!mismatch, qPrintable(script.describe()));
}

void tst_TextBoxParity::rightToLeftPoints_data()
{
    QTest::addColumn<int>("offset");
    QTest::newRow("lamed") << 1;
    QTest::newRow("vav") << 2;
    QTest::newRow("final mem") << 3;
}

// A screen reader asks for the character under a point, where QPlainTextEdit answers the caret
// place nearest to it. A click there puts the caret where QPlainTextEdit puts it.
void tst_TextBoxParity::rightToLeftPoints()
{
    QFETCH(int, offset);
    EditorPair pair(QStringLiteral("\u05E9\u05DC\u05D5\u05DD abc"));
    QVERIFY(pair.isReady());
    QAccessibleTextInterface *const reader =
        QAccessible::queryAccessibleInterface(&pair.box())->textInterface();
    const QPoint centre = reader->characterRect(offset).center();
    QCOMPARE(reader->offsetAtPoint(centre), offset);
    const QPoint point = pair.box().viewport()->mapFromGlobal(centre);
    QTest::mouseClick(pair.box().viewport(), Qt::LeftButton, {}, point);
    QTest::mouseClick(pair.edit().viewport(), Qt::LeftButton, {}, point);
    QCOMPARE(pair.boxState().cursor, pair.editState().cursor);
}

void tst_TextBoxParity::screenReaderEdits_data()
{
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("heard");
    // In "old text", before the caret or the selection. "qt": what QPlainTextEdit sends. It
    // replaces by removing, then inserting, and tells of the caret after each; the box makes one
    // change of it, told once.
    const QString qt = QStringLiteral("qt");
    const QString once = QStringLiteral("caret moves: 1, selection changes: 0");
    QTest::newRow("insert") << 8 << 8 << 0 << 0 << u"an "_qs << qt;
    QTest::newRow("delete") << 8 << 8 << 0 << 4 << QString() << qt;
    QTest::newRow("replace") << 8 << 8 << 0 << 3 << u"new"_qs << once;
    QTest::newRow("insert before a selection") << 4 << 8 << 0 << 0 << u"an "_qs << qt;
    QTest::newRow("delete before a selection") << 4 << 8 << 0 << 4 << QString() << qt;
    QTest::newRow("replace before a selection")
        << 4 << 8 << 0 << 3 << u"a new"_qs
        << QStringLiteral("caret moves: 1, selection changes: 1");
    QTest::newRow("insert after the caret") << 4 << 4 << 6 << 6 << u"x"_qs << qt;
    QTest::newRow("replace leaving the selection")
        << 4 << 8 << 0 << 3 << u"new"_qs << QStringLiteral("caret moves: 1, selection changes: 0");
    // AT-SPI's SetTextContents, as Qt's bridge does it: all characterCount() of them replaced.
    QTest::newRow("set the text") << 0 << 0 << 0 << 8 << u"new contents"_qs << once;
}

// The same call to both widgets' accessible interfaces, as insertText(), deleteText() or
// replaceText(), leaves the same text, caret and anchor, and tells screen readers as much.
void tst_TextBoxParity::screenReaderEdits()
{
    QFETCH(int, anchor);
    QFETCH(int, cursor);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QString, text);
    QFETCH(QString, heard);
    EditorPair pair(QStringLiteral("old text"));
    QVERIFY(pair.isReady());
    QStringList sent;
    bool listening = false;
    for (QWidget *widget :
         {static_cast<QWidget *>(&pair.box()), static_cast<QWidget *>(&pair.edit())}) {
        QAccessibleInterface *const accessible = QAccessible::queryAccessibleInterface(widget);
        accessible->textInterface()->setSelection(0, anchor, cursor);
        QAccessibleEditableTextInterface *const editor = accessible->editableTextInterface();
        heardEvents.clear();
        const QAccessible::UpdateHandler previous =
            QAccessible::installUpdateHandler([](QAccessibleEvent *event) {
                heardEvents.append({event->object(), event->type()});
            });
        setAccessibilityActive(true);
        listening = QAccessible::isActive();
        if (start == end)
            editor->insertText(start, text);
        else if (text.isEmpty())
            editor->deleteText(start, end);
        else
            editor->replaceText(start, end, text);
        setAccessibilityActive(false);
        QAccessible::installUpdateHandler(previous);
        sent << heardFrom(widget);
    }
    const EditorState box = pair.boxState();
    const EditorState edit = pair.editState();
    QCOMPARE(describe(box, edit), describe(edit, box));
    // Turning accessibility on takes Qt's private headers; see setAccessibilityActive().
    if (!listening)
        QSKIP("accessibility cannot be turned on without Qt's private headers");
    if (heard == u"qt")
        heard = sent.last();
    QCOMPARE(sent.first(), heard);
}

// A row inside a line must be laid out with what comes before it in the line, never from its own
// start: numbers after Arabic letters would turn from Arabic to European in the bidirectional
// algorithm, and a word cut across rows could break again at its new start ("3.14..." after
// "3."). Clicks, Up, Down, Left and Right on such rows would then differ from QPlainTextEdit.
// These seeds showed it.
void tst_TextBoxParity::rowsKeepTheirLineContext_data()
{
    QTest::addColumn<TextKind>("kind");
    QTest::addColumn<quint32>("seed");
    QTest::newRow("numbers after Arabic") << TextKind::MixedDirection << quint32(7);
    QTest::newRow("a word broken again") << TextKind::Ascii << quint32(26);
}

void tst_TextBoxParity::rowsKeepTheirLineContext()
{
    QFETCH(TextKind, kind);
    QFETCH(quint32, seed);
    const Script script = randomScript(kind, seed, StepsPerSeed, EditorPair::Size.width() - 4);
    QVERIFY(!firstMismatch(script));
}

// Every binding of every standard key on this platform, with the caret inside a line and with a
// selection, then a paste to show what went to the clipboard. (On X11, QPlainTextEdit pastes a
// clipboard this program emptied itself by reading freed memory; it starts out holding a word.)
void tst_TextBoxParity::standardKeys_data()
{
    QTest::addColumn<Script>("script");
    const QString text = QStringLiteral("one two\nthree four five\nsix");
    const QList<Step> caretInside = {key(Qt::Key_Down), key(Qt::Key_Right), key(Qt::Key_Right)};
    const QList<Step> selecting = caretInside + QList<Step>{key(Qt::ShiftModifier | Qt::Key_Right),
                                                            key(Qt::ShiftModifier | Qt::Key_Right)};
    const Step paste = key(QKeySequence(QKeySequence::Paste)[0]);
    const QMetaEnum keys = QMetaEnum::fromType<QKeySequence::StandardKey>();
    for (int i = 0; i < keys.keyCount(); ++i) {
        const auto standardKey = QKeySequence::StandardKey(keys.value(i));
        for (const QKeySequence &binding : QKeySequence::keyBindings(standardKey)) {
            const QByteArray name = keys.key(i) + QByteArray(" ") + binding.toString().toUtf8();
            QTest::newRow(name + " at the caret")
                << Script{text, caretInside + QList<Step>{key(binding[0]), paste}};
            QTest::newRow(name + " on a selection")
                << Script{text, selecting + QList<Step>{key(binding[0]), paste}};
        }
    }
}

void tst_TextBoxParity::standardKeys()
{
    QFETCH(Script, script);
    const auto mismatch = firstMismatch(script, QStringLiteral("clip"));
    if (mismatch)
        qWarning().noquote() << "box:" << describe(mismatch->box, mismatch->edit)
                             << "QPlainTextEdit:" << describe(mismatch->edit, mismatch->box);
    QVERIFY2(!mismatch, qPrintable(script.describe()));
}

// A selection made with keys is the primary selection, as one made with the mouse is. Only where
// there is a primary selection: the X11 run of this test.
void tst_TextBoxParity::keyboardSelectionIsThePrimarySelection()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection())
        QSKIP("no primary selection here");
    TextBox box;
    QPlainTextEdit edit;
    for (QWidget *widget : {static_cast<QWidget *>(&box), static_cast<QWidget *>(&edit)}) {
        clipboard->clear(QClipboard::Selection);
        widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(widget));
        QTest::keyClicks(widget, QStringLiteral("alpha beta"));
        QTest::keyClick(widget, Qt::Key_Return);
        QTest::keyClicks(widget, QStringLiteral("gamma"));
        QTest::keySequence(widget, QKeySequence::SelectAll);
        QCOMPARE(clipboard->text(QClipboard::Selection), QStringLiteral("alpha beta\ngamma"));
        QTest::keySequence(widget, QKeySequence::MoveToEndOfDocument);
        QTest::keySequence(widget, QKeySequence::SelectStartOfLine);
        QCOMPARE(clipboard->text(QClipboard::Selection), QStringLiteral("gamma"));
        widget->hide();
    }
}

QTEST_MAIN(tst_TextBoxParity)
#include "tst_TextBoxParity.moc"
