#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Whole-file and folder operations on native paths. None of them throws; each reports success.
namespace platform {

bool FileExists(const std::string& path);  // a regular file that can be opened for reading
bool FolderExists(const std::string& path);
bool MakeFolder(const std::string& path);  // one level; true when created
bool RemoveFile(const std::string& path);
bool RenameFile(const std::string& from, const std::string& to);  // replaces `to`
bool ReadWholeFile(const std::string& path, std::string& bytes);
// Creates or truncates the file and writes the bytes; applies the file-mode rule.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
// Writes through a temporary file beside `path` and a rename, so readers see old or new, never half.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);
bool AppendToFile(const std::string& path, const std::string& bytes);
// Overwrites bytes at `offset` of an existing file without truncating it.
bool WriteAtOffset(const std::string& path, std::int64_t offset, const std::string& bytes);
// Names of the regular files directly in `folder` (symbolic links followed), in no particular
// order; false when the folder cannot be read. One listing answers many existence questions.
bool ListFolderFiles(const std::string& folder, std::vector<std::string>& names);
// Copies the bytes and the permission bits of `from` into a new file `to`; fails, leaving no
// file behind, when `to` already exists or any step fails.
bool CopyFileNoReplace(const std::string& from, const std::string& to);
// Removes an empty folder.
bool RemoveFolder(const std::string& path);
// The regular files and folders directly in a folder (links followed; "." and ".." left out),
// each with whether it is a folder.
bool ListFolder(const std::string& path, std::vector<std::pair<std::string, bool>>& entries);
// Size in bytes, or -1 when the file cannot be examined.
std::int64_t FileSize(const std::string& path);
// Whether content starting with `firstBytes` (its first four bytes, or all of a shorter file) is
// a program: an ELF header or "#!".
bool LooksLikeProgram(const std::string& firstBytes);
// Gives a file 0755 when its content starts like a program (ELF header or "#!"), else 0644, so a
// fetched game or launcher can run.
void ApplyFileModeForContent(const std::string& path, const std::string& firstBytes);
// errno of the last failed operation on this thread.
int LastErrorCode();

}  // namespace platform
