#include "platform/Backend.h"

#include "platform/win32/WideText.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>

// File's descriptors (platform/File.cpp): the C runtime's descriptors over the W open, in binary
// mode and not inherited by children. Windows files have no mode that makes a program.
namespace platform::backend {

int OpenDescriptor(const std::string& path, OpenFor purpose) {
    int flags = _O_BINARY | _O_NOINHERIT;
    switch (purpose) {
        case OpenFor::Reading:
            flags |= _O_RDONLY;
            break;
        case OpenFor::Writing:
        case OpenFor::WritingProgram:
            flags |= _O_WRONLY | _O_CREAT | _O_TRUNC;
            break;
        case OpenFor::Appending:
            flags |= _O_WRONLY | _O_APPEND;
            break;
    }
    return ::_wopen(Widen(path).c_str(), flags, _S_IREAD | _S_IWRITE);
}

bool WriteDescriptor(int fd, const char* data, std::size_t size) {
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

std::int64_t ReadDescriptor(int fd, void* data, std::size_t size) {
    unsigned piece = static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX));
    return ::_read(fd, data, piece);
}

bool CloseDescriptor(int fd) {
    return ::_close(fd) == 0;
}

}  // namespace platform::backend
