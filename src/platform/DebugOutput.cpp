#include "platform/DebugOutput.h"

#include "platform/Backend.h"

#include <atomic>

// The switch of the debug output; where the bytes go is the backend's.
namespace platform {

namespace {

std::atomic<bool> enabled{true};

}  // namespace

void SetDebugOutputEnabled(bool on) {
    enabled.store(on);
}

bool IsDebugOutputEnabled() {
    return enabled.load();
}

void WriteDebugOutput(const std::string& bytes) {
    if (enabled.load())
        backend::SendDebugOutput(bytes);
}

}  // namespace platform
