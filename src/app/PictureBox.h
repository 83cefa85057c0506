// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QWidget>

// A small picture that reports a mouse click. It paints on the editor's own background colour and
// keeps its size; the picture is drawn from the icon at the screen's device pixel ratio.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    PictureBox(const QIcon &picture, QWidget *parent);

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QIcon m_picture;
    bool m_pressed = false;
};
