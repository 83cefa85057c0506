// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/OpenProgress.h"

#include <QAbstractScrollArea>
#include <QEvent>

OpenProgress::OpenProgress(QAbstractScrollArea &box)
    : QProgressBar(&box)
    , m_box(box)
{
    setObjectName(QStringLiteral("openProgress"));
    setAccessibleName(tr("Open progress"));
    setFocusPolicy(Qt::NoFocus);
    setVisible(false);
    m_box.installEventFilter(this);
}

void OpenProgress::showReading()
{
    // A range of 0 to 0 shows a busy bar.
    setRange(0, 0);
    place();
    show();
}

bool OpenProgress::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_box && event->type() == QEvent::Resize)
        place();
    return QProgressBar::eventFilter(watched, event);
}

void OpenProgress::place()
{
    // The viewport's rectangle in the box's coordinates, inside its frame.
    const QRect text = m_box.viewport()->geometry();
    const int height = std::min(sizeHint().height(), text.height());
    setGeometry(text.left(), text.bottom() + 1 - height, text.width(), height);
}
