#include "platform/Clock.h"

// The parts of the clock that are the same on every system; LocalTimeNow is the backend's.
namespace platform {

std::int64_t UnixTimeNow() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::string FormatLocalTimeNow(const char* format) {
    std::tm local = LocalTimeNow();
    char buffer[64];
    std::size_t length = std::strftime(buffer, sizeof(buffer), format, &local);
    return std::string(buffer, length);
}

}  // namespace platform
