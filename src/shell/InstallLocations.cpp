#include "shell/InstallLocations.h"

#include "base/FileUtilities.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace {

// A stored path longer than any path the system accepts is not a path; it is not read at all.
constexpr std::int64_t kLongestGameRootRecord = 4096;

std::string EditionFolderBelow(const std::string& base, const char* parent) {
    std::string folder = base;
    if (folder.empty() || folder.back() != platform::kPathSeparator)
        folder.push_back(platform::kPathSeparator);
    return folder + parent + platform::kPathSeparator + kEditionFolder + platform::kPathSeparator;
}

}  // namespace

std::string GetModulePath() {
    return platform::ModuleFilePath();
}

std::string GetUserDataDirectory() {
    std::string folder = EditionFolderBelow(platform::ApplicationDataFolder(), kUserFolderParent);
    if (IsFolderWritable(folder))
        return folder;
    std::string drive;
    if (!DefaultInstallDrive(drive))
        return folder;
    while (!drive.empty() && drive.back() == platform::kPathSeparator)
        drive.pop_back();
    return EditionFolderBelow(drive, kUserFolderParent);
}

std::string GetGameRoot() {
    std::string record = GetUserDataDirectory() + kGameRootRecordName;
    if (platform::FileExists(record)) {
        std::int64_t size = platform::FileSize(record);
        std::string bytes;
        if (size >= 0 && size <= kLongestGameRootRecord && ReadRawFile(record, bytes)) {
            std::string stored = platform::AnsiToText(bytes);
            if (stored.find('\0') == std::string::npos && platform::IsExistingFixedFolder(stored)) {
                // A root pinned by hand without the final separator would put the manifests
                // beside the folder instead of inside it.
                if (stored.back() != platform::kPathSeparator)
                    stored.push_back(platform::kPathSeparator);
                return stored;
            }
        }
    }
    std::string base;
    if (!DefaultInstallDrive(base))
        base = GetUserDataDirectory();
    std::string root = EditionFolderBelow(base, kGameFolderParent);
    ReplaceFileContent(record, platform::TextToAnsi(root));
    return root;
}
