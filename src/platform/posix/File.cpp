#include "platform/File.h"

#include "platform/FileSystem.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform {
namespace {

// Large system calls: many small writes cost far more than the copying into this buffer.
constexpr std::size_t kWriteBufferSize = 256 * 1024;

}  // namespace

File::~File() {
    Close();
}

bool File::CreateForWrite(const std::string& path, ModeRule rule) {
    bool opened = OpenWriting(path, O_CREAT | O_TRUNC, rule == ProgramMode ? 0755 : 0644);
    applyMode_ = opened && rule == ModeFromContent;
    return opened;
}

bool File::OpenForAppend(const std::string& path) {
    return OpenWriting(path, O_APPEND);
}

bool File::OpenWriting(const std::string& path, int flags, int mode) {
    Close();
    fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | flags, mode);
    if (fd_ < 0)
        return false;
    writing_ = true;
    applyMode_ = (flags & O_APPEND) == 0;
    failed_ = false;
    path_ = path;
    firstBytes_.clear();
    buffer_.clear();
    return true;
}

bool File::OpenForRead(const std::string& path) {
    Close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    writing_ = false;
    failed_ = false;
    return fd_ >= 0;
}

bool File::Write(const void* data, std::size_t size) {
    if (fd_ < 0 || !writing_ || failed_)
        return false;
    const char* bytes = static_cast<const char*>(data);
    if (firstBytes_.size() < 4)
        firstBytes_.append(bytes, std::min<std::size_t>(size, 4 - firstBytes_.size()));
    if (buffer_.size() + size > kWriteBufferSize && !Flush())
        return false;
    if (size >= kWriteBufferSize) {
        while (size > 0) {
            ssize_t n = ::write(fd_, bytes, size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                failed_ = true;
                return false;
            }
            bytes += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }
    // The buffer is taken at the first write, not at open, so files opened and not yet written
    // cost no memory.
    if (buffer_.capacity() < kWriteBufferSize)
        buffer_.reserve(kWriteBufferSize);
    buffer_.insert(buffer_.end(), bytes, bytes + size);
    return true;
}

bool File::Flush() {
    if (fd_ < 0 || !writing_ || failed_)
        return false;
    std::size_t done = 0;
    while (done < buffer_.size()) {
        ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            failed_ = true;
            buffer_.clear();
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
    return true;
}

std::int64_t File::Read(void* data, std::size_t size) {
    if (fd_ < 0 || writing_)
        return -1;
    for (;;) {
        ssize_t n = ::read(fd_, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        return n;
    }
}

bool File::Close() {
    if (fd_ < 0)
        return !failed_;
    bool ok = true;
    if (writing_) {
        ok = Flush() && !failed_;
        if (applyMode_)  // an appended file keeps its mode: its first bytes came before
            ApplyFileModeForContent(path_, firstBytes_);
    }
    if (::close(fd_) != 0)
        ok = false;
    fd_ = -1;
    writing_ = false;
    std::vector<char>().swap(buffer_);
    return ok;
}

}  // namespace platform
