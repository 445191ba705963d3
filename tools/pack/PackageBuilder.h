#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Publishes one version: packs new or changed files into <out>/<version>/kx_game.kxpkg (one
// deterministic gzip stream per file, back to back, in name order), writes the resource config
// <out>/config/<version>.txt and the update-address answer <out>/config/<version>.notice.json.
struct PackageOptions {
    std::string gameFolder;
    std::string launcherFolder;  // optional
    std::string outFolder;
    std::string version;
    std::string baseConfig;  // optional: lines of unchanged files are kept from it
    std::string urlPrefix = "http://127.0.0.1:8000/cdn/";
    int level = 6;
};

struct PackageSummary {
    int files = 0;
    int packed = 0;  // files written into the new package
    std::uint64_t packageBytes = 0;
    std::string configPath;
};

class PackageBuilder {
public:
    explicit PackageBuilder(PackageOptions options);

    // False with a message in `error` when nothing usable was written.
    bool Build(PackageSummary& summary, std::string& error);

private:
    struct Entry {
        std::string name;  // backslash-separated, relative
        std::string path;  // native path of the source file
        std::string category;
        std::string md5;
        std::string packageDir;
        std::int64_t offset = 0;
        std::uint32_t length = 0;
        bool reused = false;  // the line of the base config stands; not packed again
    };

    bool Collect(const std::string& folder, const std::string& category, std::string& error);
    bool ApplyBase(std::string& error);
    bool WritePackage(PackageSummary& summary, std::string& error);
    bool WriteConfig(PackageSummary& summary, std::string& error);

    PackageOptions options_;
    std::vector<Entry> entries_;
};
