// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIconEngine>
#include <QPixmap>

// Draws the largest piece of art that fits the tray slot in device pixels, one art pixel to one
// device pixel: a tray host may give a slot smaller than the scaled icon size, and scaling the
// art to fit would blur it.
class CrispIconEngine : public QIconEngine {
public:
    CrispIconEngine(const QPixmap &normal, const QPixmap &doubled);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override;

private:
    QPixmap m_normal;
    QPixmap m_doubled;
};
