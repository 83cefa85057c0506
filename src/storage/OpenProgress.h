// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProgressBar>

class QAbstractScrollArea;

// A busy bar along the bottom of the text box while a file is read, hidden otherwise. It lies
// over the box rather than beside it, so the window keeps its design layout.
class OpenProgress : public QProgressBar {
    Q_OBJECT
public:
    explicit OpenProgress(QAbstractScrollArea &box);

    void showReading();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QAbstractScrollArea &m_box;
};
