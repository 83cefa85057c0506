// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up and idle floor: what any Qt Widgets program with Tavlo's visible parts costs. One
// plain text editor of Tavlo's inner size (281 x 201 px at 96 dpi) as a top-level window, and a
// tray icon; nothing else.
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QSystemTrayIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavlo_floor"));

    QPixmap picture(16, 16);
    picture.fill(Qt::darkBlue);
    QSystemTrayIcon trayIcon{QIcon(picture)};
    trayIcon.show();

    QPlainTextEdit editor;
    editor.setWindowTitle(QStringLiteral("floor"));
    editor.resize(281, 201);
    editor.show();
    return app.exec();
}
