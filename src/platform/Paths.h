#pragma once

#include <string>

// Where things live on this machine. Folder results end with kPathSeparator unless stated.
namespace platform {

// The only per-platform constants; the backend files beside them are picked by CMake.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline constexpr const char* kPathSeparators = "\\/";  // Windows accepts "/" beside its own
inline constexpr const char* kExecutableSuffix = ".exe";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr const char* kPathSeparators = "/";
inline constexpr const char* kExecutableSuffix = "";
#endif
// One of kPathSeparators.
inline constexpr bool IsPathSeparator(char c) {
    return c == kPathSeparator || c == '/';
}

// The per-user application-data folder without a trailing separator; empty when it is unknown.
// Linux: $XDG_DATA_HOME, else $HOME/.local/share. Windows: the roaming application data folder.
std::string ApplicationDataFolder();

// The folder below which the default install folders go, with a trailing separator. Linux: the
// home folder, when HOME names an existing folder. Windows: "C:\\" when the system has at least
// one fixed drive (whichever it is). False when there is none.
bool DefaultInstallBase(std::string& out);

// True when path is absolute and names an existing folder on a fixed drive (on Linux: any
// existing absolute folder).
bool IsExistingFixedFolder(const std::string& path);

// Full path of the running executable.
std::string ModuleFilePath();

// The process's current folder, without a trailing separator.
std::string CurrentFolder();

// The user's desktop folder without a trailing separator; empty when it is unknown. Linux:
// XDG_DESKTOP_DIR from user-dirs.dirs, else $HOME/Desktop. Windows: the known Desktop folder.
std::string DesktopFolder();

}  // namespace platform
