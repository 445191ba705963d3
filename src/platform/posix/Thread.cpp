#include "platform/Thread.h"

#include <unistd.h>

namespace platform {

std::int64_t CurrentThreadId() {
    return static_cast<std::int64_t>(::gettid());
}

}  // namespace platform
