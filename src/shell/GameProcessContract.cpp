#include "shell/GameProcessContract.h"

#include "platform/Paths.h"

std::string GameFolder(const std::string& root) {
    return root + kGameFolderName + platform::kPathSeparator;
}

std::string GameExecutablePath(const std::string& root) {
    return GameFolder(root) + kGameExecutableName + platform::kExecutableSuffix;
}

std::string LauncherExecutablePath(const std::string& root) {
    return root + kLauncherExecutableName + platform::kExecutableSuffix;
}

std::string FormatLoginText(const std::string& authKey, const std::string& uid, const std::string& extraInfo) {
    return "auth_key=" + authKey + ",uid=" + uid + ",extraInfo=" + extraInfo;
}

std::string FormatLaunchParameters(const std::string& entrance,
                                   const std::string& deviceId,
                                   const std::string& resourceHash,
                                   const std::string& loginData,
                                   const std::string& platformNumber) {
    // Values cannot hold spaces: a path with one would break into several tokens.
    std::string encodedEntrance;
    for (char c : entrance)
        encodedEntrance += c == ' ' ? std::string("%20") : std::string(1, c);
    return "ENTRANCE=" + encodedEntrance + " DEVICE_ID=" + deviceId + " RESOURCE_HASH=" + resourceHash +
           " LOGIN_DATA=" + loginData + " PLATFORM=" + platformNumber;
}
