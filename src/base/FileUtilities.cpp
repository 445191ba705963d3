#include "base/FileUtilities.h"

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex& FolderChainLock() {
    static std::mutex lock;
    return lock;
}

bool CreateParentFolder(const std::string& path) {
    std::string parent;
    if (ParentFolder(path, parent) && !parent.empty() && !platform::FolderExists(parent))
        CreateFolderChain(parent);
    return true;
}

// "TOLM-FILE-VERSION:" then four dot-separated numbers and ";". Built from pieces so that this
// program's own binary does not carry a marker by accident.
const std::string& MarkerPrefix() {
    static const std::string prefix = std::string("TOLM-FILE") + "-VERSION:";
    return prefix;
}

}  // namespace

bool DeleteFileIfExists(const std::string& path) {
    if (!platform::FileExists(path))
        return false;
    platform::RemoveFile(path);
    return true;
}

bool CreateFolderChain(const std::string& path) {
    std::lock_guard<std::mutex> guard(FolderChainLock());
    std::string copy = path;
    if (copy.empty() || !platform::IsPathSeparator(copy.back()))
        copy.push_back(platform::kPathSeparator);
    bool outcome = false;
    for (std::size_t i = 0; i < copy.size(); ++i) {
        if (!platform::IsPathSeparator(copy[i]) || i == 0)
            continue;
        std::string prefix = copy.substr(0, i + 1);
        if (!platform::FolderExists(prefix))
            outcome = platform::MakeFolder(prefix);
    }
    return outcome;
}

namespace {

void RemoveEmptyFoldersBelow(const std::string& folder, int depth) {
    std::vector<std::pair<std::string, bool>> entries;
    // The depth bound keeps a link that points back up from leading the walk in circles.
    if (depth > 64 || !platform::ListFolder(folder, entries))
        return;
    for (const auto& [name, isFolder] : entries) {
        if (isFolder)
            RemoveEmptyFoldersBelow(folder + platform::kPathSeparator + name, depth + 1);
    }
    platform::RemoveFolder(folder);  // refused while something is left inside
}

}  // namespace

void RemoveEmptyFolders(const std::string& folder) {
    std::string base = folder;
    while (base.size() > 1 && platform::IsPathSeparator(base.back()))
        base.pop_back();
    RemoveEmptyFoldersBelow(base, 0);
}

bool ReadRawFile(const std::string& path, std::string& bytes) {
    if (path.empty())
        return false;
    return platform::ReadWholeFile(path, bytes);
}

bool ReadTextFile(const std::string& path, std::string& text) {
    std::string bytes;
    if (!ReadRawFile(path, bytes))
        return false;
    std::size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    text = platform::AnsiToText(bytes.substr(start));
    return true;
}

bool WriteRawFile(const std::string& path, const std::string& bytes) {
    CreateParentFolder(path);
    return platform::WriteWholeFile(path, bytes);
}

bool WriteTextFile(const std::string& path, const std::string& text) {
    return WriteRawFile(path, text);
}

bool ReplaceFileContent(const std::string& path, const std::string& bytes) {
    CreateParentFolder(path);
    return platform::WriteFileAtomically(path, bytes);
}

bool ParentFolder(const std::string& path, std::string& folder) {
    std::size_t last = path.find_last_of(platform::kPathSeparators);
    if (last == std::string::npos)
        return false;
    folder = path.substr(0, last);
    return true;
}

std::string WithTrailingSeparator(std::string folder) {
    if (folder.empty() || !platform::IsPathSeparator(folder.back()))
        folder.push_back(platform::kPathSeparator);
    return folder;
}

std::string FileVersionMarker(const FileVersion& version) {
    char numbers[64];
    std::snprintf(numbers, sizeof(numbers), "%u.%u.%u.%u;", version.major, version.minor, version.build,
                  version.revision);
    return MarkerPrefix() + numbers;
}

bool GetFileVersion(const std::string& path, FileVersion& version) {
    std::string bytes;
    if (!ReadRawFile(path, bytes))
        return false;
    std::size_t at = bytes.find(MarkerPrefix());
    if (at == std::string::npos)
        return true;
    unsigned parts[4];
    char end = 0;
    std::string tail = bytes.substr(at + MarkerPrefix().size(), 32);
    if (std::sscanf(tail.c_str(), "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &parts[3], &end) != 5 || end != ';')
        return false;
    for (unsigned part : parts) {
        if (part > 0xFFFF)
            return false;
    }
    version.major = static_cast<std::uint16_t>(parts[0]);
    version.minor = static_cast<std::uint16_t>(parts[1]);
    version.build = static_cast<std::uint16_t>(parts[2]);
    version.revision = static_cast<std::uint16_t>(parts[3]);
    return true;
}

bool ListFixedDrives(std::vector<std::string>& drives) {
    std::string base;
    if (platform::DefaultInstallBase(base))
        drives.push_back(base);
    return true;
}

bool DefaultInstallDrive(std::string& drive) {
    drive.clear();
    std::vector<std::string> drives;
    if (!ListFixedDrives(drives) || drives.empty())
        return false;
    drive = drives.front();
    return true;
}

bool IsFolderWritable(const std::string& folder) {
    CreateFolderChain(folder);
    if (!platform::FolderExists(folder))
        return false;
    std::string probe = folder;
    if (probe.empty() || probe.back() != platform::kPathSeparator)
        probe.push_back(platform::kPathSeparator);
    probe += "launcher_test.txt";
    if (!platform::WriteWholeFile(probe, std::string(1, '\0'))) {
        platform::RemoveFile(probe);
        return false;
    }
    platform::RemoveFile(probe);
    return true;
}
