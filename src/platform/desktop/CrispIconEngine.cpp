// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/CrispIconEngine.h"

#include <QPainter>

#include <cmath>

namespace {

bool fits(const QPixmap &art, QSize slot)
{
    return art.width() <= slot.width() && art.height() <= slot.height();
}

} // namespace

CrispIconEngine::CrispIconEngine(const QPixmap &normal, const QPixmap &doubled)
    : m_normal(normal)
    , m_doubled(doubled)
{}

void CrispIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State)
{
    const qreal ratio = painter->device()->devicePixelRatioF();
    const QSize slot = (QSizeF(rect.size()) * ratio).toSize();
    QPixmap art = fits(m_doubled, slot) ? m_doubled : m_normal;
    if (!fits(art, slot))
        art = art.scaled(slot, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    art.setDevicePixelRatio(ratio);
    // Centred on whole device pixels.
    const qreal x = std::floor(rect.x() * ratio + (slot.width() - art.width()) / 2) / ratio;
    const qreal y = std::floor(rect.y() * ratio + (slot.height() - art.height()) / 2) / ratio;
    painter->drawPixmap(QPointF(x, y), art);
}

QPixmap CrispIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return scaledPixmap(size, mode, state, 1.0);
}

QPixmap CrispIconEngine::scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state,
                                      qreal scale)
{
    QPixmap canvas((QSizeF(size) * scale).toSize());
    canvas.fill(Qt::transparent);
    canvas.setDevicePixelRatio(scale);
    QPainter painter(&canvas);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return canvas;
}

QList<QSize> CrispIconEngine::availableSizes(QIcon::Mode, QIcon::State)
{
    return {m_normal.size(), m_doubled.size()};
}

QSize CrispIconEngine::actualSize(const QSize &size, QIcon::Mode, QIcon::State)
{
    return size;
}

QIconEngine *CrispIconEngine::clone() const
{
    return new CrispIconEngine(m_normal, m_doubled);
}
