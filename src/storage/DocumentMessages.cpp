// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/DocumentMessages.h"

#include <QCoreApplication>
#include <QDir>
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
    // Not toUcs4(), which turns half a surrogate pair into U+FFFD: here it is named as it is.
    QStringList described;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const QChar unit = characters[i];
        const bool pair = unit.isHighSurrogate() && i + 1 < characters.size() &&
                          characters[i + 1].isLowSurrogate();
        described << describeCharacter(pair ? QChar::surrogateToUcs4(unit, characters[++i])
                                            : char32_t(unit.unicode()));
    }
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

QString incompleteLastCharacter(const QString &path)
{
    return tr("%1 ends in half a character: its last byte is left over from UTF-16 text. If you "
              "save it, that byte will be left out.")
        .arg(quoted(path));
}

QString saveDropsHalfCharacter(const QString &path)
{
    return tr("Saving will leave out the half character at the end of the text that came from "
              "%1, which changes more than your edits.\n\nSave anyway? Nothing has been saved "
              "yet.")
        .arg(quoted(path));
}

QString changedOnDisk(const QString &path)
{
    return tr("%1 has been changed by another program since Tavlo opened or saved it. Saving "
              "now will overwrite those changes.\n\nOverwrite it? Choose Cancel to save the "
              "text somewhere else.")
        .arg(quoted(path));
}

QString appearedOnDisk(const QString &path)
{
    return tr("There was no file %1 when the text took that name, but another program or user "
              "has put something there since. Saving now will replace it.\n\nOverwrite it? "
              "Choose Cancel to save the text somewhere else.")
        .arg(quoted(path));
}

QString savedWithNotice(const QString &path, const QString &notice)
{
    return tr("The text was saved in %1.\n\n%2").arg(quoted(path), notice);
}

QString encodingCannotHold(const QString &encodingName, const QString &characters, qsizetype line,
                           qsizetype column)
{
    return tr("The text contains characters that the file's encoding, %1, cannot hold: %2. The "
              "first is on line %3, column %4.\n\nSave the file as UTF-8 instead? Nothing has "
              "been saved yet.")
        .arg(encodingName, describeCharacters(characters))
        .arg(line)
        .arg(column);
}

QString encodingCannotHoldHalfCharacters(const QString &encodingName, const QString &characters,
                                         qsizetype line, qsizetype column)
{
    return tr("The text contains characters that the file's encoding, %1, cannot hold: %2. The "
              "first is on line %3, column %4. Some are half of a character whose other half is "
              "missing (a lone surrogate), which no encoding but UTF-16 can write.\n\nSave the "
              "file as UTF-16 LE instead, which keeps them as they are? Nothing has been saved "
              "yet; you can also delete them and save again.")
        .arg(encodingName, describeCharacters(characters))
        .arg(line)
        .arg(column);
}

} // namespace DocumentMessages
