#include "PackageBuilder.h"

#include "base/FileUtilities.h"
#include "base/Md5.h"
#include "base/OrdinalLess.h"
#include "notice/UpdateServers.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "resources/ManifestFormat.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <limits>
#include <unordered_map>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kReadStep = 1 << 20;

// The config carries lower-case tags.
bool FileMd5(const std::string& path, std::string& md5) {
    std::vector<char> buffer(kReadStep);
    if (!Md5HexOfFile(path, buffer, md5))
        return false;
    for (char& c : md5)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return true;
}

// A name the config format can carry and every client can turn into a path.
bool IsPublishableName(const std::string& name) {
    if (name.empty() || name.find('=') != std::string::npos || name.find('\r') != std::string::npos ||
        name.find('\n') != std::string::npos)
        return false;
    return !std::isspace(static_cast<unsigned char>(name.front())) &&
           !std::isspace(static_cast<unsigned char>(name.back()));
}

// Appends `path` as one gzip stream (no name, time 0: the same input always gives the same bytes).
bool AppendGzipStream(const std::string& path, int level, platform::File& package, std::uint64_t& written) {
    platform::File source;
    if (!source.OpenForRead(path))
        return false;
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    std::vector<unsigned char> in(kReadStep), out(kReadStep);
    bool ok = true;
    int flush = Z_NO_FLUSH;
    written = 0;
    while (ok && flush != Z_FINISH) {
        std::int64_t n = source.Read(in.data(), in.size());
        if (n < 0) {
            ok = false;
            break;
        }
        flush = n == 0 ? Z_FINISH : Z_NO_FLUSH;
        stream.next_in = in.data();
        stream.avail_in = static_cast<uInt>(n);
        do {
            stream.next_out = out.data();
            stream.avail_out = static_cast<uInt>(out.size());
            deflate(&stream, flush);
            std::size_t produced = out.size() - stream.avail_out;
            written += produced;
            if (produced > 0 && !package.Write(out.data(), produced))
                ok = false;
        } while (ok && stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return ok;
}

}  // namespace

PackageBuilder::PackageBuilder(PackageOptions options) : options_(std::move(options)) {}

bool PackageBuilder::Collect(const std::string& folder, const std::string& category, std::string& error) {
    std::error_code code;
    fs::path root(folder);
    if (!fs::is_directory(root, code)) {
        error = "not a folder: " + folder;
        return false;
    }
    for (fs::recursive_directory_iterator it(root, code), end; !code && it != end; it.increment(code)) {
        if (!it->is_regular_file(code))
            continue;
        std::string relative = fs::relative(it->path(), root, code).generic_string();
        if (relative.find('\\') != std::string::npos) {
            error = "a file name holds a backslash, which clients read as a folder separator: " + relative;
            return false;
        }
        std::replace(relative.begin(), relative.end(), '/', '\\');
        // Launcher files lie below the game root, where the updater keeps its staging folder.
        if (category == "launcher" && relative.rfind(std::string(kStagingFolderName) + "\\", 0) == 0) {
            error = std::string("a launcher file cannot lie in the updater's own folder ") + kStagingFolderName + ": " +
                    relative;
            return false;
        }
        if (!IsPublishableName(relative)) {
            error = "a file name cannot be published (\"=\", a line break, or blanks at either end): " + relative;
            return false;
        }
        Entry entry;
        entry.name = relative;
        entry.path = it->path().string();
        entry.category = category;
        if (!FileMd5(entry.path, entry.md5)) {
            error = "cannot read " + entry.path;
            return false;
        }
        entries_.push_back(std::move(entry));
    }
    if (code) {
        error = "cannot list " + folder + ": " + code.message();
        return false;
    }
    return true;
}

bool PackageBuilder::ApplyBase(std::string& error) {
    std::string bytes;
    ResoureConfigList old;
    if (!ReadRawFile(options_.baseConfig, bytes) || !ParseConfigBody(bytes, old)) {
        error = "cannot read the base config " + options_.baseConfig;
        return false;
    }
    // Launcher files and game files are separate lists on the client, so a name may stand in both.
    auto key = [](bool launcher, const std::string& name) { return (launcher ? "L" : "G") + name; };
    std::unordered_map<std::string, const ResoureConfigInfo*> lines;
    for (const ResoureConfigInfo& line : old)
        lines.emplace(key(IsLauncherCategory(line.category), line.name), &line);
    for (Entry& entry : entries_) {
        auto found = lines.find(key(entry.category == "launcher", entry.name));
        if (found == lines.end() || found->second->md5 != entry.md5 || found->second->length <= 0)
            continue;
        entry.packageDir = found->second->packageDir;
        entry.offset = found->second->offset;
        entry.length = static_cast<std::uint32_t>(found->second->length);
        entry.reused = true;
    }
    return true;
}

bool PackageBuilder::WritePackage(PackageSummary& summary, std::string& error) {
    std::string folder = options_.outFolder + platform::kPathSeparator + options_.version;
    std::string packagePath = folder + platform::kPathSeparator + kPackageFileName;
    bool anything = std::any_of(entries_.begin(), entries_.end(), [](const Entry& e) { return !e.reused; });
    if (!anything)
        return true;  // every file is unchanged: the version needs no package of its own
    CreateFolderChain(folder);
    platform::File package;
    if (!package.CreateForWrite(packagePath)) {
        error = "cannot create " + packagePath;
        return false;
    }
    std::uint64_t offset = 0;
    for (Entry& entry : entries_) {
        if (entry.reused)
            continue;
        std::uint64_t length = 0;
        if (!AppendGzipStream(entry.path, options_.level, package, length)) {
            error = "cannot pack " + entry.path;
            return false;
        }
        if (length > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
            error = "a file is too large for one package entry (2 GiB compressed at most): " + entry.path;
            return false;
        }
        entry.packageDir = options_.version;
        entry.offset = static_cast<std::int64_t>(offset);
        entry.length = static_cast<std::uint32_t>(length);
        offset += length;
        ++summary.packed;
    }
    if (!package.Close()) {
        error = "cannot write " + packagePath;
        return false;
    }
    summary.packageBytes = offset;
    return true;
}

bool PackageBuilder::WriteConfig(PackageSummary& summary, std::string& error) {
    std::string text;
    for (const Entry& e : entries_) {
        text += e.name + "=" + e.md5 + "=" + e.packageDir + "=" + std::to_string(e.offset) + "=" +
                std::to_string(e.length) + "=" + e.category + "\r\n";
    }
    std::string configFolder = options_.outFolder + platform::kPathSeparator + "config" + platform::kPathSeparator;
    summary.configPath = configFolder + options_.version + ".txt";
    std::string notice = std::string("{\"resdata\":[{\"Type\":\"pkg\",\"URL\":\"") + options_.urlPrefix + "config/" +
                         options_.version + ".txt\"}]}";
    if (!ReplaceFileContent(summary.configPath, text) ||
        !ReplaceFileContent(configFolder + options_.version + ".notice.json", notice)) {
        error = "cannot write the config into " + configFolder;
        return false;
    }
    return true;
}

bool PackageBuilder::Build(PackageSummary& summary, std::string& error) {
    summary = PackageSummary();
    entries_.clear();
    if (!Collect(options_.gameFolder, "game", error))
        return false;
    if (!options_.launcherFolder.empty() && !Collect(options_.launcherFolder, "launcher", error))
        return false;
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        int order = OrdinalCompare(a.name, b.name);
        return order != 0 ? order < 0 : a.category < b.category;
    });
    summary.files = static_cast<int>(entries_.size());
    if (!options_.baseConfig.empty() && !ApplyBase(error))
        return false;
    return WritePackage(summary, error) && WriteConfig(summary, error);
}
