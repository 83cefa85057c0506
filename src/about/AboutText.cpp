// SPDX-License-Identifier: GPL-3.0-or-later
#include "about/AboutText.h"

QString aboutTitle(const AppVersion &version)
{
    return QStringLiteral("About Tavlo") + versionNumbers(version);
}

QString copyrightNotice()
{
    return QStringLiteral("\u00A9 2026 Marlov Venstad");
}

QString aboutText()
{
    const QString lineBreak = QStringLiteral("\r\n");
    const QString quote = QStringLiteral("\"");
    const QString wendle = quote + QStringLiteral("Wendle") + quote;

    QString text;
    text += QStringLiteral("Tavlo is an almost shameless rip-off of a program called ");
    text += wendle;
    text += QStringLiteral(", which is written by a guy named Orvel ");
    text += QStringLiteral("Brask. I should be ashamed, but I'm not.");
    text += lineBreak + lineBreak;
    text += QStringLiteral("Tavlo includes some small -- but never the less useful ");
    text += QStringLiteral("-- features that aren't available in ");
    text += wendle;
    text += QStringLiteral(":");
    text += lineBreak + lineBreak;
    text += QString(15, u' ');
    text += quote + QStringLiteral("Clear") + quote + QStringLiteral(", ");
    text += quote + QStringLiteral("Open") + quote + QStringLiteral(" and ");
    text += quote + QStringLiteral("Save") + quote + QStringLiteral(".");
    text += lineBreak + lineBreak;
    // The closing piece is empty, so the text ends with the line breaks above.
    text += QString();
    return text;
}
