#pragma once

#include <QIcon>

#include <string>

// The icon every window of the launcher carries: the compiled-in sizes up to 128 pixels.
QIcon LauncherIcon();

// Puts the icon into the user's own hicolor theme below `applicationDataFolder` (where the
// desktop link's Icon= name is looked up), replacing only files whose bytes differ, so a launcher
// started without any installation still shows its icon on the desktop.
void InstallUserIcons(const std::string& applicationDataFolder);
