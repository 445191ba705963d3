#include "shell/LauncherDesktopEntry.h"

platform::DesktopEntry LauncherDesktopEntry(const std::string& launcherPath) {
    platform::DesktopEntry entry;
    entry.name = kDesktopShortcutName;
    entry.program = launcherPath;
    entry.icon = kLauncherIconName;
    entry.startupWmClass = kLauncherWindowClass;
    entry.categories = "Game;";
    return entry;
}
