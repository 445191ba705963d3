#include "platform/File.h"

#include "platform/win32/WideText.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>

namespace platform {
namespace {

// Large system calls: many small writes cost far more than the copying into this buffer.
constexpr std::size_t kWriteBufferSize = 256 * 1024;

// The C runtime's descriptors over the W open, in binary mode and not inherited by children.
int OpenWide(const std::string& path, int flags) {
    return ::_wopen(Widen(path).c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        unsigned piece = static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX));
        int n = ::_write(fd, data, piece);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

File::~File() {
    Close();
}

bool File::CreateForWrite(const std::string& path, ModeRule rule) {
    bool opened = OpenWriting(path, _O_CREAT | _O_TRUNC);
    applyMode_ = opened && rule == ModeFromContent;
    return opened;
}

bool File::OpenForAppend(const std::string& path) {
    return OpenWriting(path, _O_APPEND);
}

bool File::OpenWriting(const std::string& path, int flags) {
    Close();
    fd_ = OpenWide(path, _O_WRONLY | flags);
    if (fd_ < 0)
        return false;
    writing_ = true;
    applyMode_ = false;  // Windows files have no mode to give
    failed_ = false;
    path_ = path;
    firstBytes_.clear();
    buffer_.clear();
    return true;
}

bool File::OpenForRead(const std::string& path) {
    Close();
    fd_ = OpenWide(path, _O_RDONLY);
    writing_ = false;
    failed_ = false;
    return fd_ >= 0;
}

bool File::Write(const void* data, std::size_t size) {
    if (fd_ < 0 || !writing_ || failed_)
        return false;
    const char* bytes = static_cast<const char*>(data);
    if (buffer_.size() + size > kWriteBufferSize && !Flush())
        return false;
    if (size >= kWriteBufferSize) {
        if (!WriteAll(fd_, bytes, size)) {
            failed_ = true;
            return false;
        }
        return true;
    }
    if (buffer_.capacity() < kWriteBufferSize)
        buffer_.reserve(kWriteBufferSize);
    buffer_.insert(buffer_.end(), bytes, bytes + size);
    return true;
}

bool File::Flush() {
    bool ok = WriteAll(fd_, buffer_.data(), buffer_.size());
    if (!ok)
        failed_ = true;
    buffer_.clear();
    return ok;
}

std::int64_t File::Read(void* data, std::size_t size) {
    if (fd_ < 0 || writing_)
        return -1;
    unsigned piece = static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX));
    return ::_read(fd_, data, piece);
}

bool File::Close() {
    if (fd_ < 0)
        return !failed_;
    bool ok = true;
    if (writing_)
        ok = Flush() && !failed_;
    if (::_close(fd_) != 0)
        ok = false;
    fd_ = -1;
    writing_ = false;
    std::vector<char>().swap(buffer_);
    return ok;
}

}  // namespace platform
