#include "shell/LaunchLog.h"

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "shell/InstallLocations.h"

std::string GetLogFilePath() {
    return GetUserDataDirectory() + kLaunchLogName;
}

std::string LogTimestamp() {
    return platform::FormatLocalTimeNow("[%Y-%m-%d %H:%M:%S] ");
}

void AppendLaunchLog(int number) {
    AppendLaunchLog(std::to_string(number));
}

void AppendLaunchLog(const std::string& payload) {
    platform::AppendToFile(GetLogFilePath(), LogTimestamp() + payload + "\r\n");
}
