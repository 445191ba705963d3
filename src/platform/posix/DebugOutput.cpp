#include "platform/Backend.h"

#include <unistd.h>

namespace platform::backend {

void SendDebugOutput(const std::string& bytes) {
    WriteDescriptor(STDOUT_FILENO, bytes.data(), bytes.size());
}

}  // namespace platform::backend
