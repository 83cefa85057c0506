#include "app/frmMain.h"
#include "platform/desktop/DesktopPlatform.h"
#include "platform/posix/PosixMemory.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    returnLargeBlocksToSystem();
    preferX11UnderWayland();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavlo"));
    // Lets task bars match the window to its desktop entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.tavlo.Tavlo"));
    // Hiding the window to the tray must not end the program; only unloading the window does.
    QApplication::setQuitOnLastWindowClosed(false);

    DesktopPlatform platform;
    frmMain window(platform.services());
    QObject::connect(&window, &frmMain::unloaded, &app, &QApplication::quit, Qt::QueuedConnection);
    window.Form_Load();
    window.show();
    return app.exec();
}
