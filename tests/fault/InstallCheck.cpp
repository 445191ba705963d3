#include "InstallCheck.h"

#include "support/CdnPublication.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace faults {

using testsupport::PathExists;
using testsupport::ReadFileBytes;

namespace {

bool IsDownloadInProgress(const std::string& path) {
    auto endsWith = [&](const std::string& suffix) {
        return path.size() >= suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    return endsWith(".t") || endsWith(".new");
}

std::string NameOf(const std::string& relativePath) {
    std::string name = relativePath;
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

}  // namespace

std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    std::error_code error;
    if (!fs::exists(folder, error))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).generic_string()] = ReadFileBytes(entry.path().string());
    }
    return files;
}

std::map<std::string, std::string> Fingerprints(const std::string& folder) {
    std::map<std::string, std::string> prints;
    for (const auto& [path, content] : Snapshot(folder))
        prints[path] = testsupport::Md5LowerHex(content) + " " + std::to_string(content.size());
    return prints;
}

std::map<std::string, std::string> RecordedVersions(const std::string& root) {
    std::map<std::string, std::string> listed;
    if (!PathExists(root + "version.txt"))
        return listed;
    std::string text = ReadFileBytes(root + "version.txt");
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "version.txt ends inside a line:\n" << text;
            break;
        }
        std::string line = text.substr(start, end - start);
        std::size_t equals = line.find('=');
        if (equals == std::string::npos || line.find('=', equals + 1) != std::string::npos) {
            ADD_FAILURE() << "not a name=md5 line: " << line;
        } else if (equals + 1 < line.size()) {
            EXPECT_EQ(listed.count(line.substr(0, equals)), 0u) << "listed twice: " << line;
            listed[line.substr(0, equals)] = line.substr(equals + 1);
        }
        start = end + 2;
    }
    return listed;
}

void ExpectNothingWrongRecorded(const std::string& root,
                                const PublishedVersion& published,
                                const std::vector<const PublishedVersion*>& earlier) {
    std::vector<const PublishedVersion*> all = earlier;
    all.push_back(&published);
    auto knownContent = [&](const std::string& name, const std::string& bytes) {
        return std::any_of(all.begin(), all.end(), [&](const PublishedVersion* version) {
            const VersionFile* file = version->Find(name);
            return file && !file->launcher && file->content == bytes;
        });
    };
    for (const auto& [name, md5] : RecordedVersions(root)) {
        std::string path = NativePath(root + "game/", name);
        if (md5 == published.Md5Of(name)) {
            EXPECT_TRUE(PathExists(path) && ReadFileBytes(path) == published.Find(name)->content)
                << name << " is listed as published but its bytes are not the published ones";
            continue;
        }
        bool older = std::any_of(earlier.begin(), earlier.end(),
                                 [&](const PublishedVersion* version) { return version->Md5Of(name) == md5; });
        EXPECT_TRUE(older) << name << " is listed with an md5 no version has: " << md5;
        if (PathExists(path)) {
            EXPECT_TRUE(knownContent(name, ReadFileBytes(path))) << name << " holds bytes of no version";
        }
    }
    for (const auto& [relative, bytes] : Snapshot(root + "game")) {
        if (!IsDownloadInProgress(relative)) {
            EXPECT_TRUE(knownContent(NameOf(relative), bytes)) << relative << " holds bytes of no version";
        }
    }
}

void ExpectInstalled(const std::string& root, const PublishedVersion& version) {
    std::map<std::string, std::string> expectedGame;  // by relative path
    std::set<std::string> topLevel = {"game", "version.txt"};
    for (const VersionFile& file : version.files()) {
        std::string relative = file.name;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        if (file.launcher) {
            EXPECT_EQ(ReadFileBytes(root + relative), file.content) << file.name;
            topLevel.insert(relative.substr(0, relative.find('/')));
            topLevel.insert("launcher_manifest.txt");
        } else {
            expectedGame[relative] = file.content;
        }
    }
    std::map<std::string, std::string> expectedPrints;
    for (const auto& [path, content] : expectedGame)
        expectedPrints[path] = testsupport::Md5LowerHex(content) + " " + std::to_string(content.size());
    EXPECT_EQ(Fingerprints(root + "game"), expectedPrints);
    std::map<std::string, std::string> expectedVersions;
    for (const VersionFile& file : version.files()) {
        if (!file.launcher)
            expectedVersions[file.name] = version.Md5Of(file.name);
    }
    EXPECT_EQ(RecordedVersions(root), expectedVersions);
    if (!version.LauncherManifestText().empty()) {
        EXPECT_EQ(ReadFileBytes(root + "launcher_manifest.txt"), version.LauncherManifestText());
    }
    for (const auto& entry : fs::directory_iterator(root)) {
        std::string name = entry.path().filename().string();
        EXPECT_TRUE(topLevel.count(name)) << "left behind: " << name;
    }
}

}  // namespace faults
