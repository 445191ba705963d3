// Tolmqrvo: the launcher.
#include "CTolmLauncherApp.h"

#include "platform/Process.h"

#include <QApplication>

int main(int argc, char** argv) {
    platform::SetCommandLine(argc, argv);
    QApplication application(argc, argv);
    CTolmLauncherApp launcher;
    launcher.InitInstance();
    return 0;
}
