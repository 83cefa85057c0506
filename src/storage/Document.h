// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ExpectedFile.h"
#include "platform/FileStamp.h"
#include "storage/TextFormat.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class FileJob;
class MessageBoxes;
class OpenProgress;
class PieceTree;
class QAbstractScrollArea;
class TextEditor;
struct OpenOutcome;
struct SaveOutcome;

// The note as a document: the text in the text box, the file it belongs to, and how that text
// becomes the file's bytes again. It reads and writes on a worker thread and tells the user what
// went wrong, naming the file. The box keeps the file's own line ends and types format().lineEnd.
class Document : public QObject {
    Q_OBJECT
public:
    // Asks the user for a name to save under; nothing when the user cancelled.
    using AskSaveName = std::function<std::optional<QString>()>;

    // editor holds the text; box is the widget that shows it, which the progress of an Open
    // lies over and the dialogs belong to (for the note, both are its text box).
    Document(TextEditor &editor, QAbstractScrollArea &box, MessageBoxes &messageBoxes,
             AskSaveName askSaveName);
    ~Document() override;

    // Each command returns at once; while isBusy(), new commands are ignored.
    void open(const QString &path);
    void save(const QString &path);
    void clear();

    // True while a file is read or written. Typing goes on during a save.
    bool isBusy() const;
    // The file the text belongs to; empty for a new note.
    const QString &path() const { return m_path; }
    // How the text becomes bytes: the encoding and line ends of the file it came from, or those
    // of a new note.
    const TextFormat &format() const { return m_format; }
    // Before the program ends; returns at once. From now on nothing is shown and no command
    // starts anything. A save under way goes on, so that its file gets the whole new text, or
    // keeps the whole old one should it fail; the text of an Open under way is of no more use.
    void stopForExit();

signals:
    void busyChanged();
    // After stopForExit(), once no save is under way: at once, or when the save's worker is
    // done with the file.
    void stoppedForExit();
    // The document took a name, or took its name again: an Open or a Save succeeded, or Clear
    // made it new.
    void pathChanged(const QString &path);

private:
    QWidget *dialogParent() const;
    void openFinished(const QString &path, const OpenOutcome &outcome);
    void endOpen();
    bool agreesToChangeBytes(const QString &path);
    platform::ExpectedFile expectedAt(const QString &path) const;
    void startSave(const QString &path, const TextFormat &format,
                   const platform::ExpectedFile &expected);
    void saveFinished(const QString &path, const TextFormat &format,
                      const platform::ExpectedFile &expected, const SaveOutcome &outcome);
    void offerEncodingThatHoldsAll(const QString &path, const TextFormat &format,
                                   const platform::ExpectedFile &expected,
                                   const SaveOutcome &outcome);
    void saveElsewhere(const TextFormat &format);
    void setFile(const QString &path, const TextFormat &format,
                 const std::optional<platform::FileStamp> &stamp);

    TextEditor &m_editor;
    QAbstractScrollArea &m_box;
    MessageBoxes &m_messageBoxes;
    const AskSaveName m_askSaveName;
    FileJob *const m_fileJob;
    OpenProgress *const m_progress;
    QString m_path;
    TextFormat m_format;
    // The file as Tavlo last read or wrote it, to notice another program's changes before a
    // save overwrites them; nothing for a new note.
    std::optional<platform::FileStamp> m_stamp;
    // The file was UTF-16 of an odd length: the save that drops its last byte asks first.
    // Cleared once a save went through.
    bool m_endsInHalfCharacter = false;
    bool m_stopped = false;
    // From the start of a save until its result has come back.
    bool m_saving = false;
};
