#include "PublishedVersion.h"

#include "support/CdnPublication.h"
#include "support/GzipData.h"
#include "support/TestFolders.h"
#include "support/TestHttpServer.h"

#include <algorithm>

namespace faults {

using testsupport::Md5LowerHex;
using testsupport::WriteFileBytes;

std::string NativePath(const std::string& root, const std::string& name) {
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    return root + path;
}

PublishedVersion::PublishedVersion(std::string label, std::vector<VersionFile> files)
    : label_(std::move(label)), files_(std::move(files)) {
    // One Publish per package folder keeps the streams of a folder back to back in list order.
    std::vector<std::string> order;
    std::map<std::string, std::vector<testsupport::PublishedFile>> groups;
    for (const VersionFile& file : files_) {
        if (!groups.count(file.packageDir))
            order.push_back(file.packageDir);
        groups[file.packageDir].push_back({file.name, file.content, file.launcher});
    }
    for (const std::string& dir : order) {
        testsupport::CdnPublication publication = testsupport::Publish(groups[dir], dir);
        config_ += publication.config;
        packages_[dir] = publication.package;
        std::size_t offset = 0;
        for (const testsupport::PublishedFile& file : groups[dir]) {
            std::size_t length = testsupport::GzipBytes(file.content).size();
            ranges_[file.name] = {offset, length};
            offset += length;
        }
    }
}

const VersionFile* PublishedVersion::Find(const std::string& name) const {
    auto found = std::find_if(files_.begin(), files_.end(), [&](const VersionFile& f) { return f.name == name; });
    return found == files_.end() ? nullptr : &*found;
}

std::string PublishedVersion::Md5Of(const std::string& name) const {
    const VersionFile* file = Find(name);
    return file ? Md5LowerHex(file->content) : std::string();
}

std::size_t PublishedVersion::OffsetOf(const std::string& name) const {
    return ranges_.at(name).first;
}

std::size_t PublishedVersion::LengthOf(const std::string& name) const {
    return ranges_.at(name).second;
}

std::string PublishedVersion::ConfigPath() const {
    return "/cdn/config/" + label_ + ".txt";
}

std::string PublishedVersion::PackagePath(const std::string& packageDir) {
    return "/cdn/" + (packageDir.empty() ? std::string() : packageDir + "/") + "kx_game.kxpkg";
}

void PublishedVersion::ServeOn(testsupport::TestHttpServer& server) const {
    server.Serve(ConfigPath(), testsupport::Route(config_));
    for (const auto& [dir, package] : packages_)
        server.Serve(PackagePath(dir), testsupport::Route(package));
}

void PublishedVersion::WriteCdnFolder(const std::string& cdnFolder, int port) const {
    WriteFileBytes(cdnFolder + "config/" + label_ + ".txt", config_);
    for (const auto& [dir, package] : packages_)
        WriteFileBytes(cdnFolder + (dir.empty() ? std::string() : dir + "/") + "kx_game.kxpkg", package);
    WriteFileBytes(cdnFolder + "config/" + label_ + ".notice.json",
                   "{\"resdata\":[{\"Type\":\"pkg\",\"URL\":\"http://127.0.0.1:" + std::to_string(port) +
                       "/cdn/config/" + label_ + ".txt\"}]}");
}

std::string PublishedVersion::VersionText() const {
    std::map<std::string, std::string> lines;
    for (const VersionFile& file : files_) {
        if (!file.launcher)
            lines[file.name] = Md5LowerHex(file.content);
    }
    std::string text;
    for (const auto& [name, md5] : lines)
        text += name + "=" + md5 + "\r\n";
    return text;
}

std::string PublishedVersion::LauncherManifestText() const {
    std::map<std::string, std::string> lines;
    for (const VersionFile& file : files_) {
        if (file.launcher)
            lines[file.name] = Md5LowerHex(file.content);
    }
    std::string text;
    for (const auto& [name, md5] : lines)
        text += name + "=" + md5 + "\r\n";
    return text;
}

void PublishedVersion::Install(const std::string& root) const {
    for (const VersionFile& file : files_)
        WriteFileBytes(NativePath(file.launcher ? root : root + "game/", file.name), file.content);
    WriteFileBytes(root + "version.txt", VersionText());
    if (!LauncherManifestText().empty())
        WriteFileBytes(root + "launcher_manifest.txt", LauncherManifestText());
}

}  // namespace faults
