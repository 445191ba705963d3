#include "platform/Backend.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

// File's descriptors (platform/File.cpp): open(2) and friends, retried on EINTR.
namespace platform::backend {

int OpenDescriptor(const std::string& path, OpenFor purpose) {
    switch (purpose) {
        case OpenFor::Reading:
            return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        case OpenFor::Writing:
            return ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_CREAT | O_TRUNC, 0644);
        case OpenFor::WritingProgram:
            return ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_CREAT | O_TRUNC, 0755);
        case OpenFor::Appending:
            return ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_APPEND);
    }
    return -1;
}

bool WriteDescriptor(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::int64_t ReadDescriptor(int fd, void* data, std::size_t size) {
    for (;;) {
        ssize_t n = ::read(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        return n;
    }
}

bool CloseDescriptor(int fd) {
    return ::close(fd) == 0;
}

}  // namespace platform::backend
