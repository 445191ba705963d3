#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace platform {

// The current local time (time zone and daylight saving applied).
std::tm LocalTimeNow();
// Seconds since 1970-01-01 00:00:00 UTC.
std::int64_t UnixTimeNow();
// strftime of the current local time with `format`.
std::string FormatLocalTimeNow(const char* format);

}  // namespace platform
