#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Whole-file helpers over native paths shared by the resource manager, the processors and the
// install locations. Each reports success as a boolean and never throws.

// True when the file could be opened (it is then deleted; the deletion's own result is ignored).
bool DeleteFileIfExists(const std::string& path);
// Creates every missing folder along `path`, serialised process-wide. Returns the outcome of the
// last creation attempted, false when everything already existed.
bool CreateFolderChain(const std::string& path);
// Removes `folder` and every folder below it that holds no file; folders with files stay.
void RemoveEmptyFolders(const std::string& folder);
// Whole file as text: a UTF-8 byte-order mark is dropped, invalid bytes become "?".
bool ReadTextFile(const std::string& path, std::string& text);
bool ReadRawFile(const std::string& path, std::string& bytes);
// Replace the whole file, creating missing parent folders first. Text is written as UTF-8
// without a byte-order mark.
bool WriteTextFile(const std::string& path, const std::string& text);
bool WriteRawFile(const std::string& path, const std::string& bytes);
// As WriteRawFile, through a temporary file and a rename, so a crash leaves the old or the new
// content, never a mix.
bool ReplaceFileContent(const std::string& path, const std::string& bytes);
// The text before the last path separator; false when there is none.
bool ParentFolder(const std::string& path, std::string& folder);
// `folder` ending with a separator: the platform's is added unless one ("/" counts everywhere) is
// there already.
std::string WithTrailingSeparator(std::string folder);

struct FileVersion {
    std::uint16_t major = 0, minor = 0, build = 0, revision = 0;
};
// False when the file cannot be read. True with `version` untouched when the file carries no
// version marker; true with the version when it does.
bool GetFileVersion(const std::string& path, FileVersion& version);
// The text a launcher binary carries so that GetFileVersion finds its version.
std::string FileVersionMarker(const FileVersion& version);

// Fixed "drives": on this platform the user's home folder when it exists.
bool ListFixedDrives(std::vector<std::string>& drives);
// The default install base (the home folder with a trailing separator); false when there is none.
bool DefaultInstallDrive(std::string& drive);
// Creates the folder chain, then creates, writes and deletes "launcher_test.txt" in it.
bool IsFolderWritable(const std::string& folder);
