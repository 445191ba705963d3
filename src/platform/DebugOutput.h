#pragma once

#include <string>

namespace platform {

// Writes the bytes to standard output in one system call, so lines from several threads do not
// interleave. Errors are ignored.
void WriteDebugOutput(const std::string& bytes);

}  // namespace platform
