// Tolmqrvo: the launcher.
#include "CTolmLauncherApp.h"
#include "LauncherIcon.h"

#include "platform/Process.h"
#include "shell/LauncherDesktopEntry.h"

#include <QApplication>

int main(int argc, char** argv) {
    platform::SetCommandLine(argc, argv);
    QApplication application(argc, argv);
    // The window class desktops match to the desktop entry, whatever the executable is called.
    QApplication::setApplicationName(QString::fromUtf8(kLauncherWindowClass));
    QApplication::setWindowIcon(LauncherIcon());
    CTolmLauncherApp launcher;
    launcher.InitInstance();
    return 0;
}
