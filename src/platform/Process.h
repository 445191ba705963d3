#pragma once

#include <string>

namespace platform {

// Ends this process at once with `code`, after flushing standard output. Nothing is shut down.
[[noreturn]] void TerminateCurrentProcess(int code);

// The arguments after the program path, joined with single spaces (the system's command line).
std::string CommandLineText();
// Records argc/argv for CommandLineText; main() calls it first.
void SetCommandLine(int argc, char** argv);

}  // namespace platform
