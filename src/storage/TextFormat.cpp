// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/TextFormat.h"

#include <QCoreApplication>

bool operator==(const TextFormat &a, const TextFormat &b)
{
    return a.encoding == b.encoding && a.lineEnd == b.lineEnd &&
           a.appendFinalLineEnd == b.appendFinalLineEnd;
}

QString encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextEncoding::Utf8WithBom:
        return QCoreApplication::translate("TextFormat", "UTF-8 with BOM");
    case TextEncoding::Utf16LE:
        return QStringLiteral("UTF-16 LE");
    case TextEncoding::Utf16BE:
        return QStringLiteral("UTF-16 BE");
    case TextEncoding::Windows1252:
        return QStringLiteral("Windows-1252");
    }
    return {};
}

QStringView lineEndCharacters(LineEnd lineEnd)
{
    switch (lineEnd) {
    case LineEnd::CrLf:
        return u"\r\n";
    case LineEnd::Lf:
        return u"\n";
    case LineEnd::Cr:
        return u"\r";
    }
    return u"\r\n";
}
