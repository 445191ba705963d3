#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// A fresh folder under the system temporary folder, removed with everything in it on destruction.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder with a trailing "/".
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Sets environment variables for the lifetime of the object and restores the old values after.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void Set(const char* name, const std::string& value);
    void Unset(const char* name);

private:
    void Remember(const char* name);
    std::vector<std::pair<std::string, std::pair<bool, std::string>>> saved_;
};

// A private home: HOME, XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR point into a
// temporary folder, and proxy variables are cleared, so no test touches the real home folder.
class IsolatedHome {
public:
    IsolatedHome();
    const std::string& home() const { return folder_.path(); }
    // The per-user folder the launcher will use: <home>/.local/share/QRVO_PC/Tolm/.
    std::string userFolder() const;
    ScopedEnvironment& environment() { return environment_; }

private:
    TempFolder folder_;
    ScopedEnvironment environment_;
};

// Whole-file helpers for test set-up and checks.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);  // creates parent folders
bool PathExists(const std::string& path);
// Every regular file below `folder`, by relative path ("a/b.txt"), with its content; empty when
// the folder does not exist.
std::map<std::string, std::string> SnapshotFiles(const std::string& folder);

}  // namespace testsupport
