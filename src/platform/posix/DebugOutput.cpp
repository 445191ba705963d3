#include "platform/DebugOutput.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace platform {

namespace {

std::atomic<bool> enabled{true};

}  // namespace

void SetDebugOutputEnabled(bool on) {
    enabled.store(on);
}

void WriteDebugOutput(const std::string& bytes) {
    if (!enabled.load())
        return;
    const char* data = bytes.data();
    std::size_t size = bytes.size();
    while (size > 0) {
        ssize_t n = ::write(STDOUT_FILENO, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

}  // namespace platform
