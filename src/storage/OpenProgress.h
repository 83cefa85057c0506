// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProgressBar>

class QPlainTextEdit;

// How far an Open has got, shown along the bottom of the editor while the file is read and its
// text goes in, and hidden otherwise. It lies over the editor rather than beside it, so the window
// keeps its design layout.
class OpenProgress : public QProgressBar {
    Q_OBJECT
public:
    explicit OpenProgress(QPlainTextEdit &editor);

    // The file is being read: no percentage yet.
    void showReading();
    void showInserted(int percent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QPlainTextEdit &m_editor;
};
