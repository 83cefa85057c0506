// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/BreakIterator.h"

#include "text/TextBoundaries.h"

BreakIterator::BreakIterator(Unit unit)
    : m_unit(unit)
{}

bool BreakIterator::open()
{
    if (!m_tried) {
        m_tried = true;
        UErrorCode status = U_ZERO_ERROR;
        // The root rules: the same steps whatever the desktop's language.
        m_iterator.reset(
            ubrk_open(m_unit == Unit::Word ? UBRK_WORD : UBRK_CHARACTER, "", nullptr, 0, &status));
        if (U_FAILURE(status))
            m_iterator.reset();
    }
    return m_iterator != nullptr;
}

void BreakIterator::attach(const PieceTree &text)
{
    m_text = &text;
    if (!open())
        return;
    UErrorCode status = U_ZERO_ERROR;
    ubrk_setUText(m_iterator.get(), m_reader.over(text), &status);
    if (U_FAILURE(status))
        m_iterator.reset();
}

qsizetype BreakIterator::following(qsizetype offset)
{
    // Without ICU's data, whole code points and CR LF, and no words.
    if (!m_iterator)
        return TextBoundaries::codePointEdge(*m_text, offset + 1, true);
    const int32_t found = ubrk_following(m_iterator.get(), int32_t(offset));
    return found == UBRK_DONE ? m_text->length() : found;
}

qsizetype BreakIterator::preceding(qsizetype offset)
{
    if (!m_iterator)
        return TextBoundaries::codePointEdge(*m_text, offset - 1, false);
    // ICU takes an offset inside a surrogate pair for the pair's start, and would pass over it.
    offset = TextBoundaries::codePointEdge(*m_text, offset, true);
    const int32_t found = ubrk_preceding(m_iterator.get(), int32_t(offset));
    return found == UBRK_DONE ? 0 : found;
}

bool BreakIterator::isBoundary(qsizetype offset)
{
    if (!m_iterator)
        return TextBoundaries::codePointEdge(*m_text, offset, false) == offset;
    return ubrk_isBoundary(m_iterator.get(), int32_t(offset));
}

bool BreakIterator::endsWord() const
{
    return m_iterator && ubrk_getRuleStatus(m_iterator.get()) >= UBRK_WORD_NONE_LIMIT;
}
