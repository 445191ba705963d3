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

std::string EncodeParameterValue(const std::string& value) {
    std::string encoded;
    for (char c : value)
        encoded += c == ' ' ? std::string("%20") : std::string(1, c);
    return encoded;
}

std::string FormatRestartParameters(const std::string& entrancePath) {
    return std::string(kRebootParameter) + " " + kEntranceKey + "=" + EncodeParameterValue(entrancePath);
}

std::string FormatRestartFailedParameters(int errorCode) {
    return std::string(kRebootParameter) + " " + kRestartFailedKey + "=" + std::to_string(errorCode);
}

std::string FormatLoginText(const std::string& authKey, const std::string& uid, const std::string& extraInfo) {
    return "auth_key=" + authKey + ",uid=" + uid + ",extraInfo=" + extraInfo;
}

std::string FormatLaunchParameters(const std::string& entrance,
                                   const std::string& deviceId,
                                   const std::string& resourceHash,
                                   const std::string& loginData,
                                   const std::string& platformNumber) {
    return "ENTRANCE=" + EncodeParameterValue(entrance) + " DEVICE_ID=" + deviceId + " RESOURCE_HASH=" + resourceHash +
           " LOGIN_DATA=" + loginData + " PLATFORM=" + platformNumber;
}
