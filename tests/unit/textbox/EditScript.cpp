// SPDX-License-Identifier: GPL-3.0-or-later
#include "EditScript.h"

#include <QKeySequence>
#include <QRandomGenerator>
#include <QStringList>

namespace editscript {

namespace {

QStringList wordsOf(TextKind kind)
{
    const QStringList plain = {"the",   "quick",      "brown",     "fox",    "jumps",
                               "over",  "a",          "lazy",      "dog",    "42",
                               "3.14",  "hello,",     "world.",    "(note)", "it's",
                               "x-ray", "snake_case", "CamelCase", "--",     "foo/bar"};
    switch (kind) {
    case TextKind::Ascii:
        return plain + QStringList{"antidisestablishmentarianism", "pneumonoultramicroscopic"};
    case TextKind::Accented:
        return QStringList{"café", "naïve", "Ångström", "über", "São", "Łódź", "façade", "crème",
                           "cafe\u0301", "nai\u0308ve", "A\u030A", "u\u0308\u0304ber", "n\u0303o",
                           "Z\u0327\u0301", "the", "and", "brûlée-crème",
                           // wider than a row, so that rows are cut between clusters
                           QStringLiteral("cafe\u0301").repeated(12)};
    case TextKind::Emoji:
        return QStringList{"😀",
                           "👍🏽",
                           "👨\u200D👩\u200D👧",
                           "🇫🇷🇩🇪",
                           "🏳\uFE0F\u200D🌈",
                           "❤\uFE0F",
                           "✌🏿",
                           "👩🏾\u200D💻",
                           "🙂🙃",
                           "ok",
                           "party🎉time",
                           "the",
                           "end.",
                           QStringLiteral("👍🏽").repeated(24)};
    case TextKind::MixedDirection:
        return QStringList{"שלום", "עולם", "مرحبا", "بالعالم", "123", "4.5", "abc",
                           "Qt",   "(1)",  "١٢٣",   "כן",      "نعم", "the", "שלום-abc"};
    }
    return plain;
}

QKeyCombination standard(QKeySequence::StandardKey key)
{
    return QKeySequence::keyBindings(key).value(0)[0];
}

// The keys a session presses; Backspace and Undo come twice, as people press them more.
QList<QKeyCombination> keys()
{
    QList<QKeyCombination> keys = {
        Qt::Key_Backspace,
        Qt::Key_Backspace,
        Qt::Key_Delete,
        Qt::Key_Return,
        Qt::ShiftModifier | Qt::Key_Return,
    };
    const QKeySequence::StandardKey standardKeys[] = {
        QKeySequence::DeleteStartOfWord,
        QKeySequence::DeleteEndOfWord,
        QKeySequence::MoveToPreviousChar,
        QKeySequence::SelectPreviousChar,
        QKeySequence::MoveToNextChar,
        QKeySequence::SelectNextChar,
        QKeySequence::MoveToPreviousWord,
        QKeySequence::SelectPreviousWord,
        QKeySequence::MoveToNextWord,
        QKeySequence::SelectNextWord,
        QKeySequence::MoveToPreviousLine,
        QKeySequence::SelectPreviousLine,
        QKeySequence::MoveToNextLine,
        QKeySequence::SelectNextLine,
        QKeySequence::MoveToStartOfLine,
        QKeySequence::SelectStartOfLine,
        QKeySequence::MoveToEndOfLine,
        QKeySequence::SelectEndOfLine,
        QKeySequence::MoveToPreviousPage,
        QKeySequence::SelectPreviousPage,
        QKeySequence::MoveToNextPage,
        QKeySequence::SelectNextPage,
        QKeySequence::MoveToStartOfDocument,
        QKeySequence::SelectStartOfDocument,
        QKeySequence::MoveToEndOfDocument,
        QKeySequence::SelectEndOfDocument,
        QKeySequence::SelectAll,
        QKeySequence::Cut,
        QKeySequence::Copy,
        QKeySequence::Paste,
        QKeySequence::Undo,
        QKeySequence::Undo,
        QKeySequence::Redo,
    };
    for (const QKeySequence::StandardKey key : standardKeys)
        keys.append(standard(key));
    return keys;
}

class Generator {
public:
    Generator(TextKind kind, quint32 seed, int viewportWidth)
        : m_words(wordsOf(kind))
        , m_keys(keys())
        , m_random(seed)
        , m_viewportWidth(viewportWidth)
    {}

    QString words(int count)
    {
        QStringList picked;
        for (int i = 0; i < count; ++i)
            picked.append(m_words.at(m_random.bounded(int(m_words.size()))));
        return picked.join(u' ');
    }

    QString initialText()
    {
        QStringList lines;
        const int lineCount = m_random.bounded(1, 6);
        for (int i = 0; i < lineCount; ++i)
            lines.append(words(m_random.bounded(0, 24)));
        return lines.join(u'\n');
    }

    Step step()
    {
        Step step;
        const int roll = m_random.bounded(100);
        if (roll < 18) {
            step.kind = Step::Kind::Type;
            step.text = words(m_random.bounded(1, 3)) + (m_random.bounded(2) ? " " : "");
        } else if (roll < 23) {
            step.kind = Step::Kind::Commit;
            step.text = words(1);
        } else if (roll < 30) {
            step.kind = Step::Kind::Click;
            step.x = m_random.bounded(m_viewportWidth);
            step.along = m_random.bounded(1.0);
            step.shift = m_random.bounded(4) == 0;
        } else {
            step.kind = Step::Kind::Key;
            step.key = m_keys.at(m_random.bounded(int(m_keys.size())));
        }
        return step;
    }

private:
    const QStringList m_words;
    const QList<QKeyCombination> m_keys;
    QRandomGenerator m_random;
    const int m_viewportWidth;
};

// Typed and committed text shown with its invisible and combining characters spelled out.
QString quoted(const QString &text)
{
    QString result = QStringLiteral("\"");
    for (const char32_t c : text.toUcs4()) {
        const QChar::Category category = QChar::category(c);
        const bool invisible = category == QChar::Mark_NonSpacing ||
                               category == QChar::Other_Format || c == U'\n' || c == 0xFE0F;
        if (invisible)
            result += QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
        else
            result += QString::fromUcs4(&c, 1);
    }
    return result + u'"';
}

} // namespace

QString Step::describe() const
{
    switch (kind) {
    case Kind::Type:
        return QStringLiteral("type %1").arg(quoted(text));
    case Kind::Commit:
        return QStringLiteral("input method commits %1").arg(quoted(text));
    case Kind::Click:
        return QStringLiteral("%1click at x %2 on the row %3% into the text")
            .arg(shift ? "shift+" : "")
            .arg(x)
            .arg(int(along * 100));
    case Kind::Key:
        return QStringLiteral("key %1").arg(QKeySequence(key).toString());
    }
    return QString();
}

QString Script::describe() const
{
    QString result = QStringLiteral("  initial text %1\n").arg(quoted(initialText));
    for (qsizetype i = 0; i < steps.size(); ++i)
        result += QStringLiteral("  %1. %2\n").arg(i + 1).arg(steps.at(i).describe());
    return result;
}

Script randomScript(TextKind kind, quint32 seed, int stepCount, int viewportWidth)
{
    Generator generator(kind, seed, viewportWidth);
    Script script;
    script.initialText = generator.initialText();
    for (int i = 0; i < stepCount; ++i)
        script.steps.append(generator.step());
    return script;
}

} // namespace editscript
