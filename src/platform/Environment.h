#pragma once

#include <string>

namespace platform {

// The value of an environment variable, or empty when it is not set.
std::string EnvironmentValue(const char* name);

}  // namespace platform
