// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSet>
#include <QString>

// Collects characters once each, in the order they first appear, for messages to the user.
class DistinctCharacters {
public:
    // A lone surrogate is kept as the one unit it is.
    void add(char32_t codePoint);
    bool isEmpty() const { return m_text.isEmpty(); }
    const QString &text() const { return m_text; }

private:
    QSet<char32_t> m_seen;
    QString m_text;
};
