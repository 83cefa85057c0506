// SPDX-License-Identifier: GPL-3.0-or-later
// The context menu of a plain text box, entry for entry as Qt's own text boxes have it: the same
// texts, shortcuts, icons, object names and rules for what is enabled. The texts are looked up in
// Qt's translation context for its text boxes, so Qt's translations serve this menu too.
#include "textbox/TextBox.h"
#include "textbox/TextMimeData.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>

namespace {

constexpr char Context[] = "QWidgetTextControl";

struct Entry {
    const char *text;
    QKeySequence::StandardKey key;
    const char *name;
    const char *icon;
};

QAction *addEntry(QMenu *menu, const Entry &entry, bool enabled)
{
    QString text = QCoreApplication::translate(Context, entry.text);
    if (entry.key != QKeySequence::UnknownKey &&
        !QCoreApplication::testAttribute(Qt::AA_DontShowShortcutsInContextMenus))
        text += u'\t' + QKeySequence(entry.key).toString(QKeySequence::NativeText);
    QAction *const action = menu->addAction(text);
    action->setObjectName(QLatin1String(entry.name));
    const QIcon icon = QIcon::fromTheme(QLatin1String(entry.icon));
    if (!icon.isNull())
        action->setIcon(icon);
    action->setEnabled(enabled);
    return action;
}

bool clipboardHasText()
{
    const QMimeData *const data = QGuiApplication::clipboard()->mimeData();
    // A copy from a text box is never empty, and reading a large one just to see would be slow.
    return data && (qobject_cast<const TextMimeData *>(data) ||
                    (data->hasText() && !data->text().isEmpty()));
}

const Entry Undo{QT_TRANSLATE_NOOP("QWidgetTextControl", "&Undo"), QKeySequence::Undo, "edit-undo",
                 "edit-undo"};
const Entry Redo{QT_TRANSLATE_NOOP("QWidgetTextControl", "&Redo"), QKeySequence::Redo, "edit-redo",
                 "edit-redo"};
const Entry Cut{QT_TRANSLATE_NOOP("QWidgetTextControl", "Cu&t"), QKeySequence::Cut, "edit-cut",
                "edit-cut"};
const Entry Copy{QT_TRANSLATE_NOOP("QWidgetTextControl", "&Copy"), QKeySequence::Copy, "edit-copy",
                 "edit-copy"};
const Entry Paste{QT_TRANSLATE_NOOP("QWidgetTextControl", "&Paste"), QKeySequence::Paste,
                  "edit-paste", "edit-paste"};
const Entry Delete{QT_TRANSLATE_NOOP("QWidgetTextControl", "Delete"), QKeySequence::UnknownKey,
                   "edit-delete", "edit-delete"};
const Entry SelectAll{QT_TRANSLATE_NOOP("QWidgetTextControl", "Select All"),
                      QKeySequence::SelectAll, "select-all", "edit-select-all"};

} // namespace

QMenu *TextBox::createStandardContextMenu(QWidget *parent)
{
    auto *const menu = new QMenu(parent ? parent : this);
    const bool editable = !isReadOnly();
    if (editable) {
        connect(addEntry(menu, Undo, isUndoAvailable()), &QAction::triggered, this, &TextBox::undo);
        connect(addEntry(menu, Redo, isRedoAvailable()), &QAction::triggered, this, &TextBox::redo);
        menu->addSeparator();
        connect(addEntry(menu, Cut, hasSelection()), &QAction::triggered, this, &TextBox::cut);
    }
    connect(addEntry(menu, Copy, hasSelection()), &QAction::triggered, this, &TextBox::copy);
    if (editable) {
        connect(addEntry(menu, Paste, clipboardHasText()), &QAction::triggered, this,
                &TextBox::paste);
        connect(addEntry(menu, Delete, hasSelection()), &QAction::triggered, this, [this] {
            if (hasSelection())
                insertText(QString());
        });
    }
    menu->addSeparator();
    connect(addEntry(menu, SelectAll, !m_text.isEmpty()), &QAction::triggered, this,
            &TextBox::selectAll);
    return menu;
}
