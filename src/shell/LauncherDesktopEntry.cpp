#include "shell/LauncherDesktopEntry.h"

#include "shell/GameProcessContract.h"

platform::DesktopEntry LauncherDesktopEntry(const std::string& launcherPath) {
    platform::DesktopEntry entry;
    entry.name = kDesktopShortcutName;
    entry.program = launcherPath;
    entry.icon = kLauncherIconName;
    entry.startupWmClass = kLauncherWindowClass;
    entry.categories = "Game;";
    entry.actions.push_back({"repair", kRepairActionName, {kRepairFlag}});
    return entry;
}
