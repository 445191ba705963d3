#pragma once

#include <string>

namespace platform {

// The value of an environment variable, or empty when it is not set.
std::string EnvironmentValue(const char* name);
// Sets or removes a variable of this process (seen by the C runtime and by children). On Windows
// an empty value removes the variable.
bool SetEnvironmentValue(const char* name, const std::string& value);
bool UnsetEnvironmentValue(const char* name);

}  // namespace platform
