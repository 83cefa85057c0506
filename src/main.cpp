// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frmMain.h"
#include "platform/desktop/DesktopPlatform.h"
#include "platform/desktop/InstanceName.h"
#include "platform/desktop/SingleInstance.h"
#include "platform/posix/PosixMemory.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    returnLargeBlocksToSystem();
    preferX11UnderWayland();
    // Qt takes its -display option out of the command line, so it is read first.
    const QString x11Display = x11DisplayName(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavlo"));
    // Lets task bars match the window to its desktop entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.tavlo.Tavlo"));
    // Hiding the window to the tray must not end the program; only unloading the window does.
    QApplication::setQuitOnLastWindowClosed(false);

    // A second Tavlo on the same display would lie exactly on the first, and the user could not
    // tell which one holds the note: the one already running comes forward instead.
    SingleInstance instance;
    switch (instance.claim(instanceBusName(QGuiApplication::platformName(), x11Display,
                                           qEnvironmentVariable("WAYLAND_DISPLAY")))) {
    case SingleInstance::Claim::HandedOver:
        return 0;
    case SingleInstance::Claim::Unanswered:
        return 1;
    case SingleInstance::Claim::Run:
        break;
    }

    DesktopPlatform platform;
    frmMain window(platform.services());
    QObject::connect(&window, &frmMain::unloaded, &app, &QApplication::quit, Qt::QueuedConnection);
    // A start after Exit gets a Tavlo of its own, even while this one finishes a save.
    QObject::connect(&window, &frmMain::unloading, &instance, &SingleInstance::release);
    // Like a left click on the tray icon: show, raise and activate; the About box while it is
    // open.
    QObject::connect(&instance, &SingleInstance::activationRequested, &window,
                     &frmMain::bringForward);
    window.Form_Load();
    window.show();
    return app.exec();
}
