#include "shell/ProcessControl.h"

#include "base/TextConversions.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"

#include <vector>

bool IsProcessRunning(const std::string& executablePath) {
    std::vector<std::string> paths;
    if (!platform::ListProcessImagePaths(paths))
        return false;
    for (const std::string& path : paths) {
        if (!path.empty() && EqualsIgnoringAsciiCase(path, executablePath))
            return true;
    }
    return false;
}

bool StartProcess(const std::string& executable,
                  const std::string& workingFolder,
                  const std::string& parameters,
                  int& errorCode,
                  const std::vector<std::string>& environment) {
    if (!platform::FileExists(executable)) {
        errorCode = platform::LastErrorCode();
        return false;
    }
    std::vector<std::string> arguments;
    SplitText(parameters, " ", &arguments);
    return platform::SpawnDetachedProcess(executable, arguments, workingFolder, errorCode, environment);
}
