#include "platform/File.h"

#include "platform/Backend.h"
#include "platform/FileSystem.h"

#include <algorithm>

// The buffering and the mode rule of File; the descriptors are the backend's.
namespace platform {
namespace {

// Large system calls: many small writes cost far more than the copying into this buffer.
constexpr std::size_t kWriteBufferSize = 256 * 1024;

}  // namespace

File::~File() {
    Close();
}

bool File::CreateForWrite(const std::string& path, ModeRule rule) {
    bool opened = OpenWriting(path, rule == ProgramMode ? backend::OpenFor::WritingProgram : backend::OpenFor::Writing);
    applyMode_ = opened && rule == ModeFromContent;
    return opened;
}

bool File::OpenForAppend(const std::string& path) {
    return OpenWriting(path, backend::OpenFor::Appending);
}

bool File::OpenWriting(const std::string& path, backend::OpenFor purpose) {
    Close();
    fd_ = backend::OpenDescriptor(path, purpose);
    if (fd_ < 0)
        return false;
    writing_ = true;
    applyMode_ = false;
    failed_ = false;
    path_ = path;
    firstBytes_.clear();
    buffer_.clear();
    return true;
}

bool File::OpenForRead(const std::string& path) {
    Close();
    fd_ = backend::OpenDescriptor(path, backend::OpenFor::Reading);
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
        if (!backend::WriteDescriptor(fd_, bytes, size)) {
            failed_ = true;
            return false;
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
    bool ok = backend::WriteDescriptor(fd_, buffer_.data(), buffer_.size());
    if (!ok)
        failed_ = true;
    buffer_.clear();
    return ok;
}

std::int64_t File::Read(void* data, std::size_t size) {
    if (fd_ < 0 || writing_)
        return -1;
    return backend::ReadDescriptor(fd_, data, size);
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
    if (!backend::CloseDescriptor(fd_))
        ok = false;
    fd_ = -1;
    writing_ = false;
    std::vector<char>().swap(buffer_);
    return ok;
}

}  // namespace platform
