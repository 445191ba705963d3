#pragma once

#include <string>

namespace platform {

// Hands the address to the desktop's opener (xdg-open). False when it could not be started.
bool OpenWithDesktop(const std::string& address);
// The user's configured browser command ($BROWSER), or empty.
std::string ConfiguredBrowserCommand();
// Runs `command` with the address appended as one argument, without a shell.
bool RunCommandWithArgument(const std::string& command, const std::string& argument);

}  // namespace platform
