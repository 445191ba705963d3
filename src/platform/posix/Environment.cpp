#include "platform/Environment.h"

#include <cstdlib>

namespace platform {

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool SetEnvironmentValue(const char* name, const std::string& value) {
    return ::setenv(name, value.c_str(), 1) == 0;
}

bool UnsetEnvironmentValue(const char* name) {
    return ::unsetenv(name) == 0;
}

}  // namespace platform
