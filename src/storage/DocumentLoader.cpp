// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/DocumentLoader.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

DocumentLoader::DocumentLoader(QPlainTextEdit &editor, int burstMs)
    : QObject(&editor)
    , m_editor(editor)
    , m_burstMs(burstMs)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &DocumentLoader::insertSome);
}

void DocumentLoader::start(QStringList slices)
{
    cancel();
    m_slices = std::move(slices);
    m_next = 0;
    m_insertedCharacters = 0;
    m_totalCharacters = 0;
    for (const QString &slice : std::as_const(m_slices))
        m_totalCharacters += slice.size();
    // Also forgets the undo history of the old text, as replacing the whole text must.
    m_editor.setPlainText(QString());
    m_editor.document()->setUndoRedoEnabled(false);
    emit progressed(0);
    m_timer.start();
}

void DocumentLoader::cancel()
{
    if (m_timer.isActive())
        stop();
}

void DocumentLoader::stop()
{
    m_timer.stop();
    m_slices.clear();
    m_editor.document()->setUndoRedoEnabled(true);
}

void DocumentLoader::insertSome()
{
    QElapsedTimer burst;
    burst.start();
    QTextCursor end(m_editor.document());
    end.movePosition(QTextCursor::End);
    while (m_next < m_slices.size()) {
        end.insertText(m_slices.at(m_next));
        m_insertedCharacters += m_slices.at(m_next).size();
        // Each slice is let go as soon as the editor holds its own copy.
        m_slices[m_next++] = QString();
        if (m_next == 1) {
            // The editor's caret was carried along by the first slice; put it back at the start,
            // where it stays while the rest goes in after it. The first page is shown at once.
            m_editor.moveCursor(QTextCursor::Start);
            break;
        }
        if (burst.elapsed() >= m_burstMs)
            break;
    }
    if (m_next < m_slices.size()) {
        emit progressed(int(m_insertedCharacters * 100 / m_totalCharacters));
        return;
    }
    finish();
}

void DocumentLoader::finish()
{
    stop();
    m_editor.document()->setModified(false);
    m_editor.moveCursor(QTextCursor::Start);
    emit progressed(100);
    emit finished();
}
