#pragma once

#include <string>

namespace platform {

// Writes the bytes to standard output in one system call, so lines from several threads do not
// interleave. Errors are ignored.
void WriteDebugOutput(const std::string& bytes);

// Command-line tools that print their own progress switch the debug output off (it is on at
// start).
void SetDebugOutputEnabled(bool enabled);

// Whether debug output is written; lets a caller skip building a large line nobody reads.
bool IsDebugOutputEnabled();

}  // namespace platform
