#pragma once

#include "platform/DesktopShortcut.h"

#include <string>

// The launcher's desktop entry. The desktop link the launcher writes to its per-user copy and the
// menu entry installed with the launcher both come from here, so an action added to
// LauncherDesktopEntry appears in both.

// The desktop link's title (its file name without the suffix) and the entry's name.
inline constexpr const char* kDesktopShortcutName = "官网Qorvane";
// The icon's name in the hicolor theme.
inline constexpr const char* kLauncherIconName = "tolmqrvo";
// The class the launcher's windows carry, which desktops match to the entry.
inline constexpr const char* kLauncherWindowClass = "Tolmqrvo";

// The action that starts the launcher with --repair.
inline constexpr const char* kRepairActionName = "修复游戏文件";

// The entry that starts the launcher at `launcherPath` without arguments, with the repair action.
platform::DesktopEntry LauncherDesktopEntry(const std::string& launcherPath);
