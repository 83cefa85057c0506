// SPDX-License-Identifier: GPL-3.0-or-later
#include "textbox/TextMimeData.h"

namespace {
const QString PlainText = QStringLiteral("text/plain");
const QString PlainTextUtf8 = QStringLiteral("text/plain;charset=utf-8");
} // namespace

std::unique_ptr<QMimeData> mimeDataFor(const PieceTree &text, qsizetype start, qsizetype end)
{
    if (end - start > CopiedAtOnceLimit)
        return std::make_unique<TextMimeData>(text, start, end);
    auto data = std::make_unique<QMimeData>();
    data->setText(text.text(start, end - start));
    return data;
}

TextMimeData::TextMimeData(PieceTree text, qsizetype start, qsizetype end)
    : m_text(std::move(text))
    , m_start(start)
    , m_end(end)
{}

QStringList TextMimeData::formats() const
{
    return {PlainText, PlainTextUtf8};
}

bool TextMimeData::hasFormat(const QString &mimeType) const
{
    return mimeType == PlainText || mimeType == PlainTextUtf8;
}

QVariant TextMimeData::retrieveData(const QString &mimeType, QMetaType type) const
{
    if (!hasFormat(mimeType))
        return {};
    const QString text = m_text.text(m_start, m_end - m_start);
    if (type.id() == QMetaType::QByteArray)
        return text.toUtf8();
    return text;
}
