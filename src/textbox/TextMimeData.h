// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/PieceTree.h"

#include <QMimeData>

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
