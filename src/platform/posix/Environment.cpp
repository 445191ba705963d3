#include "platform/Environment.h"

#include <cstdlib>

namespace platform {

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// setenv and unsetenv race with any other thread's getenv: callers change the environment only
// while no other thread runs (the tests' set-up, before any worker starts).
bool SetEnvironmentValue(const char* name, const std::string& value) {
    return ::setenv(name, value.c_str(), 1) == 0;  // NOLINT(concurrency-mt-unsafe)
}

bool UnsetEnvironmentValue(const char* name) {
    return ::unsetenv(name) == 0;  // NOLINT(concurrency-mt-unsafe)
}

}  // namespace platform
