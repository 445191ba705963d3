#include "platform/Clock.h"

namespace platform {

std::tm LocalTimeNow() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

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
