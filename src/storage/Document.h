// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/posix/PosixFileStamp.h"
#include "storage/DocumentCodec.h"
#include "storage/TextFormat.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class DocumentLoader;
class FileJob;
class MessageBoxes;
class OpenProgress;
class QPlainTextEdit;
struct OpenOutcome;
struct SaveOutcome;

// The note as a document: the text in the editor, the file it belongs to, and how that text
// becomes the file's bytes again. It reads and writes on a worker thread, puts an opened text
// into the editor a slice at a time, and tells the user what went wrong, naming the file.
class Document : public QObject {
    Q_OBJECT
public:
    // Asks the user for a name to save under; nothing when the user cancelled.
    using AskSaveName = std::function<std::optional<QString>()>;

    Document(QPlainTextEdit &editor, MessageBoxes &messageBoxes, AskSaveName askSaveName);
    ~Document() override;

    // Each command returns at once; while isBusy(), new commands are ignored.
    void open(const QString &path);
    void save(const QString &path);
    void clear();

    // True while a file is read or written, or an opened text is still going into the editor.
    bool isBusy() const;
    // The file the text belongs to; empty for a new note.
    const QString &path() const { return m_path; }
    // How the text becomes bytes: the encoding and line ends of the file it came from, or those
    // of a new note.
    const TextFormat &format() const { return m_format; }
    // Before the program ends: a save under way finishes, so its file is whole; a text still
    // going into the editor is of no more use.
    void stopForExit();

signals:
    void busyChanged();
    // The document took a name, or took its name again: an Open or a Save succeeded, or Clear
    // made it new.
    void pathChanged(const QString &path);

private:
    QWidget *dialogParent() const;
    void openFinished(const QString &path, const OpenOutcome &outcome);
    void endOpen();
    void showDocument(const QString &path, const DecodedDocument &document);
    void warnAboutOpened(const QString &path, const DecodedDocument &document);
    bool agreesToChangeBytes(const QString &path);
    void startSave(const QString &path, const TextFormat &format);
    void saveFinished(const QString &path, const TextFormat &format, const SaveOutcome &outcome);
    void saveElsewhere(const TextFormat &format);
    void setFile(const QString &path, const TextFormat &format,
                 const std::optional<platform::FileStamp> &stamp);

    QPlainTextEdit &m_editor;
    MessageBoxes &m_messageBoxes;
    const AskSaveName m_askSaveName;
    FileJob *const m_fileJob;
    DocumentLoader *const m_loader;
    OpenProgress *const m_progress;
    QString m_path;
    TextFormat m_format;
    // The file as Tavlo last read or wrote it, to notice another program's changes before a
    // save overwrites them; nothing for a new note.
    std::optional<platform::FileStamp> m_stamp;
    // What the file was decoded from has something the text cannot give back as it was (mixed
    // line ends, say): a save asks first. Cleared once a save went through.
    DecodedDocument m_openedWithLosses;
};
