#include "platform/Paths.h"

#include "platform/Environment.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace platform {
namespace {

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == kPathSeparator)
        path.pop_back();
    return path;
}

}  // namespace

std::string ApplicationDataFolder() {
    std::string data = EnvironmentValue("XDG_DATA_HOME");
    if (!data.empty() && data.front() == '/')
        return WithoutTrailingSeparators(data);
    std::string home = EnvironmentValue("HOME");
    if (home.empty())
        return std::string();
    return WithoutTrailingSeparators(home) + "/.local/share";
}

bool DefaultInstallBase(std::string& out) {
    std::string home = WithoutTrailingSeparators(EnvironmentValue("HOME"));
    if (!IsExistingFixedFolder(home))
        return false;
    out = home == "/" ? home : home + "/";
    return true;
}

bool IsExistingFixedFolder(const std::string& path) {
    if (path.empty() || path.front() != '/')
        return false;
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ModuleFilePath() {
    char buffer[4096];
    ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return std::string();
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::string CurrentFolder() {
    char buffer[4096];
    return ::getcwd(buffer, sizeof(buffer)) ? std::string(buffer) : std::string();
}

std::string DesktopFolder() {
    std::string home = WithoutTrailingSeparators(EnvironmentValue("HOME"));
    if (home.empty())
        return std::string();
    std::string config = EnvironmentValue("XDG_CONFIG_HOME");
    if (config.empty())
        config = home + "/.config";
    std::ifstream dirs(config + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_DESKTOP_DIR=";
    while (std::getline(dirs, line)) {
        if (line.compare(0, key.size(), key) != 0)
            continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.compare(0, 5, "$HOME") == 0)
            value = home + value.substr(5);
        if (!value.empty() && value.front() == '/')
            return WithoutTrailingSeparators(value);
    }
    return home + "/Desktop";
}

}  // namespace platform
