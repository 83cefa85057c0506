// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/OpenProgress.h"

#include <QEvent>
#include <QPlainTextEdit>

OpenProgress::OpenProgress(QPlainTextEdit &editor)
    : QProgressBar(&editor)
    , m_editor(editor)
{
    setObjectName(QStringLiteral("openProgress"));
    setAccessibleName(tr("Open progress"));
    setFormat(tr("Opening %p%"));
    setFocusPolicy(Qt::NoFocus);
    setVisible(false);
    m_editor.installEventFilter(this);
}

void OpenProgress::showReading()
{
    // A range of 0 to 0 shows a busy bar.
    setRange(0, 0);
    place();
    show();
}

void OpenProgress::showInserted(int percent)
{
    if (maximum() != 100)
        setRange(0, 100);
    setValue(percent);
}

bool OpenProgress::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_editor && event->type() == QEvent::Resize)
        place();
    return QProgressBar::eventFilter(watched, event);
}

void OpenProgress::place()
{
    // The viewport's rectangle in the editor's coordinates, inside its frame and scroll bars.
    const QRect text = m_editor.viewport()->geometry();
    const int height = std::min(sizeHint().height(), text.height());
    setGeometry(text.left(), text.bottom() + 1 - height, text.width(), height);
}
