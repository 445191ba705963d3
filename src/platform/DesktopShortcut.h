#pragma once

#include <string>

namespace platform {

// How a desktop link file's name ends on this platform.
inline constexpr const char* kDesktopShortcutSuffix = ".desktop";

// Writes the desktop link `title` + kDesktopShortcutSuffix to `targetPath` into `desktopFolder`,
// replacing an existing one: a desktop entry of type Application that runs the target without
// arguments (its path quoted and escaped, so spaces, quotes, "$", "%" and backslashes survive),
// mode 0755 (desktops run only links marked executable). False, writing nothing, when
// `desktopFolder` is not an existing folder.
bool WriteDesktopShortcut(const std::string& desktopFolder, const std::string& title, const std::string& targetPath);

}  // namespace platform
