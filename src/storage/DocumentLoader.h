// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class QPlainTextEdit;

// Puts the text of an opened file into the editor a slice at a time, going back to the event loop
// between short bursts of slices. The window keeps repainting and answering its menus while a large
// file goes in, and the text goes in faster than in one piece: the editor re-formats all of its
// text after a whole-text replacement, which slices added at the end avoid.
class DocumentLoader : public QObject {
    Q_OBJECT
public:
    // Each turn of the event loop puts in at least one slice, and more until burstMs have passed.
    explicit DocumentLoader(QPlainTextEdit &editor, int burstMs = DefaultBurstMs);

    // Long enough to put in many slices per turn, short enough that a paint or a click waits no
    // longer than a user notices.
    static constexpr int DefaultBurstMs = 25;

    // Empties the editor and starts putting the slices in; returns at once.
    void start(QStringList slices);
    // Stops where it is; the editor keeps what went in so far.
    void cancel();
    bool isRunning() const { return m_timer.isActive(); }

signals:
    // Percent of the characters in the editor so far.
    void progressed(int percent);
    // All the text is in, the caret at its start and undo on again.
    void finished();

private:
    void insertSome();
    void stop();
    void finish();

    QPlainTextEdit &m_editor;
    const int m_burstMs;
    QTimer m_timer;
    QStringList m_slices;
    qsizetype m_next = 0;
    qsizetype m_totalCharacters = 0;
    qsizetype m_insertedCharacters = 0;
};
