#pragma once

#include <map>
#include <string>
#include <vector>

namespace testsupport {
class TestHttpServer;
}

namespace faults {

struct VersionFile {
    std::string name;  // backslash-separated
    std::string content;
    std::string packageDir;
    bool launcher = false;
};

// One published version of the game and the launcher: a package per package folder (the files'
// gzip streams back to back, in list order) and the config that names them. Serves itself from the
// scripted test server or writes the CDN folder that nginx serves, and knows what an installation
// of it looks like.
class PublishedVersion {
public:
    PublishedVersion(std::string label, std::vector<VersionFile> files);

    const std::string& label() const { return label_; }
    const std::vector<VersionFile>& files() const { return files_; }
    const std::string& config() const { return config_; }
    // Package bytes by package folder.
    const std::map<std::string, std::string>& packages() const { return packages_; }
    const VersionFile* Find(const std::string& name) const;
    // Lower-case hexadecimal MD5 of the file's content as the config carries it; empty when absent.
    std::string Md5Of(const std::string& name) const;
    // Where the file's gzip stream lies in its package.
    std::size_t OffsetOf(const std::string& name) const;
    std::size_t LengthOf(const std::string& name) const;

    // Server paths: "/cdn/config/<label>.txt" and "/cdn/<dir>/kx_game.kxpkg".
    std::string ConfigPath() const;
    static std::string PackagePath(const std::string& packageDir);
    void ServeOn(testsupport::TestHttpServer& server) const;
    // The folder scripts/serve publishes below /cdn/: packages, config and the update-address answer
    // naming the config at http://127.0.0.1:<port>/cdn/config/<label>.txt.
    void WriteCdnFolder(const std::string& cdnFolder, int port) const;

    // Puts this version in place below `root` as a finished update leaves it: game files, version.txt,
    // launcher files and launcher_manifest.txt.
    void Install(const std::string& root) const;
    // version.txt as the resource manager writes it for this version.
    std::string VersionText() const;
    std::string LauncherManifestText() const;

private:
    std::string label_;
    std::vector<VersionFile> files_;
    std::string config_;
    std::map<std::string, std::string> packages_;
    std::map<std::string, std::pair<std::size_t, std::size_t>> ranges_;
};

// A file below `root` by its backslash-separated name.
std::string NativePath(const std::string& root, const std::string& name);

}  // namespace faults
