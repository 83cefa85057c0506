// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <array>

class QFrame;
class QLabel;
class QPushButton;
class FramedPlacement;

// The About box: the program icon, name, version and copyright above a rule, the About text
// below it, and an Ok button. Fixed size, laid out in twips, centred on the screen when shown.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

    // Index 0 holds the product and version, 1 the copyright, 2 the About text; nullptr otherwise.
    QLabel *lbl(int index) const;
    QLabel *img() const { return m_img; }
    QFrame *Frame1() const { return m_frame1; }
    QPushButton *cmd() const { return m_cmd; }

    // Fills the caption and the labels that depend on the version and the About text.
    void Form_Load();
    // Closes the box, ending a modal exec().
    void cmd_Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void placeInTwips(QWidget *widget, float left, float top, float width, float height) const;
    void centreOnScreen();

    QLabel *m_img = nullptr;
    std::array<QLabel *, 3> m_lbl{};
    QFrame *m_frame1 = nullptr;
    QPushButton *m_cmd = nullptr;
    FramedPlacement *m_placement = nullptr;
};
