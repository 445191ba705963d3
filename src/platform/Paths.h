#pragma once

#include <string>

// Where things live on this machine. Folder results end with kPathSeparator unless stated.
namespace platform {

inline constexpr char kPathSeparator = '/';
// Suffix of executables on this platform ("" here, ".exe" on Windows).
inline constexpr const char* kExecutableSuffix = "";

// The per-user application-data folder ($XDG_DATA_HOME, else $HOME/.local/share), without a
// trailing separator; empty when neither is known.
std::string ApplicationDataFolder();

// The user's home folder with a trailing separator, when HOME names an existing folder.
bool HomeFolder(std::string& out);

// True when path is absolute and names an existing folder (the "fixed drive and folder" test).
bool IsExistingFixedFolder(const std::string& path);

// Full path of the running executable.
std::string ModuleFilePath();

// The process's current folder, without a trailing separator.
std::string CurrentFolder();

// The user's desktop folder without a trailing separator (XDG_DESKTOP_DIR from user-dirs.dirs,
// else $HOME/Desktop); empty when HOME is unknown.
std::string DesktopFolder();

}  // namespace platform
