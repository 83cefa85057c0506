// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(const QIcon &picture, QWidget *parent)
    : QWidget(parent)
    , m_picture(picture)
{
    setBackgroundRole(QPalette::Base);
    setForegroundRole(QPalette::Text);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_picture.paint(&painter, rect(), Qt::AlignCenter);
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

// Like a button: the click counts when the left button is released over the picture.
void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    const bool clicked = m_pressed && event->button() == Qt::LeftButton &&
                         rect().contains(event->position().toPoint());
    m_pressed = false;
    if (clicked)
        emit Click();
}
