#pragma once

#include <cstdint>

namespace platform {

// The system's numeric id of the calling thread, as trace lines show it.
std::int64_t CurrentThreadId();

}  // namespace platform
