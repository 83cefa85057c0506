// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/Utf16.h"

#include <QtEndian>

namespace utf16 {

std::optional<QString> decode(QByteArrayView bytes, QSysInfo::Endian byteOrder)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    const qsizetype units = bytes.size() / 2;
    QString text(units, Qt::Uninitialized);
    if (byteOrder == QSysInfo::BigEndian)
        qFromBigEndian<char16_t>(bytes.data(), units, text.data());
    else
        qFromLittleEndian<char16_t>(bytes.data(), units, text.data());
    return text;
}

} // namespace utf16
