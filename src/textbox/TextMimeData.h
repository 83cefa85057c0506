// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/PieceTree.h"

#include <QMimeData>

#include <memory>

// Up to this many UTF-16 units (1 MiB) a copy is made at once: a copied word keeps no snapshot of
// a large text alive after the text is cleared or another file opened.
constexpr qsizetype CopiedAtOnceLimit = 512 * 1024;

// What the clipboard, the primary selection or a drag gets for [start, end) of text: the text
// itself up to CopiedAtOnceLimit, a TextMimeData beyond. Whoever takes it owns it.
std::unique_ptr<QMimeData> mimeDataFor(const PieceTree &text, qsizetype start, qsizetype end);

// Text for the clipboard, the primary selection or a drag, kept as a range of a text snapshot and
// copied out only when some program asks for it: selecting all of a large text costs nothing
// until it is pasted.
class TextMimeData : public QMimeData {
    Q_OBJECT
public:
    TextMimeData(PieceTree text, qsizetype start, qsizetype end);

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    const PieceTree m_text;
    const qsizetype m_start;
    const qsizetype m_end;
};
