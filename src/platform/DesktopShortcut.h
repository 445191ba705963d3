#pragma once

#include <string>
#include <vector>

namespace platform {

// How a desktop link file's name ends on this platform.
#ifdef _WIN32
inline constexpr const char* kDesktopShortcutSuffix = ".lnk";
#else
inline constexpr const char* kDesktopShortcutSuffix = ".desktop";
#endif

// An extra entry of the link's menu (a desktop action): the same program with its own arguments.
struct DesktopAction {
    std::string id;  // letters, digits and "-" only
    std::string name;
    std::vector<std::string> arguments;
};

// What a desktop link shows and runs. Empty optional fields are left out of the entry.
struct DesktopEntry {
    std::string name;
    std::string program;  // run without arguments by the entry itself
    std::string icon;     // a name in the icon theme
    std::string startupWmClass;
    std::string categories;  // ";"-terminated list, e.g. "Game;"
    std::vector<DesktopAction> actions;
};

// The entry as desktop entry text: type Application, Exec= the program path quoted and escaped
// (spaces, quotes, "$", "%" and backslashes survive), one [Desktop Action] group per action.
std::string FormatDesktopEntry(const DesktopEntry& entry);

// Writes the desktop link `title` + kDesktopShortcutSuffix into `desktopFolder`, replacing an
// existing one. Linux: FormatDesktopEntry(entry), mode 0755 (desktops run only links marked
// executable). Windows: a shell link to entry.program, working folder its folder (no actions).
// False, writing nothing, when `desktopFolder` is not an existing folder.
bool WriteDesktopShortcut(const std::string& desktopFolder, const std::string& title, const DesktopEntry& entry);

}  // namespace platform
