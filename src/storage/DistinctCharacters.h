// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSet>
#include <QString>

// Collects characters once each, in the order they first appear, for messages to the user.
class DistinctCharacters {
public:
    // units: the character as it stands in the text (two units outside the BMP).
    void add(char32_t codePoint, QStringView units);
    bool isEmpty() const { return m_text.isEmpty(); }
    const QString &text() const { return m_text; }

private:
    QSet<char32_t> m_seen;
    QString m_text;
};
