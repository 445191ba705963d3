#include "shell/EntranceProgram.h"

#include "base/FileUtilities.h"
#include "platform/Paths.h"
#include "shell/CommandLine.h"
#include "shell/GameProcessContract.h"
#include "shell/InstallLocations.h"

#include <algorithm>

std::string EntranceBesideLauncher(const std::string& launcherPath) {
    std::string folder;
    if (!ParentFolder(launcherPath, folder))
        return std::string();
    return folder + platform::kPathSeparator + kEntranceExecutableName + platform::kExecutableSuffix;
}

std::vector<std::string> EntranceProgramCandidates() {
    std::vector<std::string> candidates;
    std::string given;
    if (GetCommandLineValue(kEntranceKey, given) && !given.empty()) {
        std::replace(given.begin(), given.end(), '\\', platform::kPathSeparator);
        if (given.front() != platform::kPathSeparator)
            given = platform::CurrentFolder() + platform::kPathSeparator + given;
        candidates.push_back(given);
    }
    const std::string beside = EntranceBesideLauncher(GetModulePath());
    if (!beside.empty() && std::find(candidates.begin(), candidates.end(), beside) == candidates.end())
        candidates.push_back(beside);
    return candidates;
}
