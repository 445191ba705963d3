#include "support/TestFolders.h"

#include "platform/Environment.h"
#include "platform/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testsupport {

TempFolder::TempFolder() {
    // Only this process creates the name it picks: creating a folder that exists fails.
    std::random_device source;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = fs::temp_directory_path() / ("tolm-test-" + std::to_string(source()));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            fs::permissions(candidate, fs::perms::owner_all, error);  // private, as mkdtemp makes it
            std::u8string text = candidate.u8string();                // the program's text is UTF-8 on every system
            path_ = std::string(text.begin(), text.end()) + platform::kPathSeparator;
            return;
        }
    }
    throw std::runtime_error("no temporary folder could be made");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Tests may leave read-only bits behind; removal as root does not care.
    fs::remove_all(path_, ignored);
}

ScopedEnvironment::~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second.first)
            platform::SetEnvironmentValue(it->first.c_str(), it->second.second);
        else
            platform::UnsetEnvironmentValue(it->first.c_str());
    }
}

void ScopedEnvironment::Remember(const char* name) {
    const char* old = std::getenv(name);
    saved_.push_back({name, {old != nullptr, old ? old : ""}});
}

void ScopedEnvironment::Set(const char* name, const std::string& value) {
    Remember(name);
    platform::SetEnvironmentValue(name, value);
}

void ScopedEnvironment::Unset(const char* name) {
    Remember(name);
    platform::UnsetEnvironmentValue(name);
}

IsolatedHome::IsolatedHome() {
    fs::create_directories(folder_.path() + "runtime");
    fs::permissions(folder_.path() + "runtime", fs::perms::owner_all);  // what a session runtime folder is
    environment_.Set("HOME", folder_.path().substr(0, folder_.path().size() - 1));
    environment_.Unset("XDG_DATA_HOME");
    environment_.Unset("XDG_CONFIG_HOME");
    environment_.Set("XDG_RUNTIME_DIR", folder_.path() + "runtime");
    for (const char* proxy : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
        environment_.Unset(proxy);
    environment_.Unset("TOLM_NOTICE_URL");
}

std::string IsolatedHome::userFolder() const {
    return home() + ".local/share/QRVO_PC/Tolm/";
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    fs::path target(path);
    if (target.has_parent_path())
        fs::create_directories(target.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool PathExists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(path, ignored));
}

}  // namespace testsupport

namespace testsupport {

std::map<std::string, std::string> SnapshotFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    std::error_code code;
    if (!fs::exists(folder, code))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).generic_string()] = ReadFileBytes(entry.path().string());
    }
    return files;
}

}  // namespace testsupport
