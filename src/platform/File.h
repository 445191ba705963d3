#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

namespace backend {
enum class OpenFor;
}  // namespace backend

// An open file for streaming reads or writes. Writes are collected in a buffer and handed to the
// system in large blocks; Close() (or the destructor) flushes. Not shared between threads.
class File {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Whether Close gives a created file the mode its content calls for (a program 0755, other
    // files 0644), or leaves the mode it was created with: 0644 (KeepMode), or 0755 (ProgramMode,
    // for a writer that knows its first bytes already and saves the later mode change).
    enum ModeRule { ModeFromContent, KeepMode, ProgramMode };

    // Creates or truncates `path` for writing only.
    bool CreateForWrite(const std::string& path, ModeRule rule = ModeFromContent);
    // Opens an existing file for writing at its end.
    bool OpenForAppend(const std::string& path);
    bool OpenForRead(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }

    bool Write(const void* data, std::size_t size);
    // Reads up to `size` bytes; returns the count, 0 at the end, -1 on error.
    std::int64_t Read(void* data, std::size_t size);
    // Hands the buffered bytes to the system now (they then survive the end of this process).
    bool Flush();
    // Flushes, applies the file-mode rule to a written file and closes; false when a write failed.
    bool Close();

private:
    bool OpenWriting(const std::string& path, backend::OpenFor purpose);

    int fd_ = -1;
    bool writing_ = false;
    bool applyMode_ = false;
    bool failed_ = false;
    std::string path_;
    std::vector<char> buffer_;
    std::string firstBytes_;
};

}  // namespace platform
