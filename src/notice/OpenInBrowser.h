#pragma once

#include <string>

// Opens the address in the user's browser: the desktop's opener first, then the configured
// browser command. False when neither could be started.
bool OpenInBrowser(const std::string& address);
