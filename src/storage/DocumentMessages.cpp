// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/DocumentMessages.h"

#include "storage/DocumentCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QStringList>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("DocumentMessages", text);
}

QString quoted(const QString &path)
{
    return u'"' + QDir::toNativeSeparators(path) + u'"';
}

// Invisible and control characters are named by their code, the others shown as they are.
QString describeCharacter(char32_t character)
{
    const QString code =
        QStringLiteral("U+%1").arg(uint(character), 4, 16, QLatin1Char('0')).toUpper();
    if (QChar::isPrint(character) && !QChar::isSpace(character))
        return u'"' + QString::fromUcs4(&character, 1) + QStringLiteral("\" (") + code + u')';
    return code;
}

} // namespace

namespace DocumentMessages {

QString describeCharacters(const QString &characters)
{
    QStringList described;
    for (const char32_t character : characters.toUcs4())
        described << describeCharacter(character);
    // A long list helps nobody; the first few tell what kind of text it is.
    constexpr int shown = 8;
    if (described.size() > shown) {
        const qsizetype more = described.size() - shown;
        described = described.mid(0, shown);
        described << QCoreApplication::translate("DocumentMessages", "and %n more", nullptr,
                                                 int(more));
    }
    return described.join(QStringLiteral(", "));
}

QString openFailed(const QString &path, const QString &reason)
{
    return tr("Tavlo could not open %1.\n\n%2").arg(quoted(path), reason);
}

QString saveFailed(const QString &path, const QString &reason)
{
    return tr("Tavlo could not save %1.\n\n%2\n\nChoose another place to save the text.")
        .arg(quoted(path), reason);
}

QString mixedLineEnds(const QString &path)
{
    return tr("%1 mixes different kinds of line ends. When you save it, all its line ends "
              "will be made like the first one.")
        .arg(quoted(path));
}

QString slowLongLine(const QString &path, qsizetype length)
{
    return tr("%1 has a line of %2 characters. The editor is slow with lines that long: opening "
              "the file and every key press in that line can take from seconds to minutes.\n\n"
              "Open it anyway?")
        .arg(quoted(path), QLocale().toString(length));
}

QString editorCannotHold(const QString &path, const QString &characters)
{
    return tr("%1 contains characters that the editor cannot keep as they are: %2.\n\n"
              "If you save it, they will be stored as line ends or left out.")
        .arg(quoted(path), describeCharacters(characters));
}

QString incompleteLastCharacter(const QString &path)
{
    return tr("%1 ends in half a character: its last byte is left over from UTF-16 text. If you "
              "save it, that byte will be left out.")
        .arg(quoted(path));
}

QString saveChangesBytes(const QString &path, const DecodedDocument &openedAs)
{
    QStringList changes;
    if (openedAs.mixedLineEnds)
        changes << tr("all its line ends will be made like the first one");
    if (!openedAs.charactersEditorCannotHold.isEmpty()) {
        changes << tr("%1 will be stored as line ends or left out")
                       .arg(describeCharacters(openedAs.charactersEditorCannotHold));
    }
    if (openedAs.incompleteLastCharacter)
        changes << tr("the half character at its end will be left out");
    return tr("Saving will change more than your edits in the text that came from %1:\n\n- %2"
              "\n\nSave anyway? Nothing has been saved yet.")
        .arg(quoted(path), changes.join(QStringLiteral("\n- ")));
}

QString changedOnDisk(const QString &path)
{
    return tr("%1 has been changed by another program since Tavlo opened or saved it. Saving "
              "now will overwrite those changes.\n\nOverwrite it? Choose Cancel to save the "
              "text somewhere else.")
        .arg(quoted(path));
}

QString encodingCannotHold(const QString &encodingName, const QString &characters)
{
    return tr("The text contains characters that the file's encoding, %1, cannot hold: %2.\n\n"
              "Save the file as UTF-8 instead? Nothing has been saved yet.")
        .arg(encodingName, describeCharacters(characters));
}

} // namespace DocumentMessages
