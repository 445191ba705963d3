#include "platform/Thread.h"

#include <windows.h>

namespace platform {

std::int64_t CurrentThreadId() {
    return static_cast<std::int64_t>(::GetCurrentThreadId());
}

}  // namespace platform
