#pragma once

#include <string>
#include <vector>

namespace platform {

// Ends this process at once with `code`, after flushing standard output. Nothing is shut down.
[[noreturn]] void TerminateCurrentProcess(int code);

// This process's id (names files no other process uses).
long CurrentProcessId();

// The arguments after the program path, joined with single spaces (the system's command line).
std::string CommandLineText();
// Records argc/argv for CommandLineText; main() calls it first.
void SetCommandLine(int argc, char** argv);

// Full image paths of the running processes that can be inspected (others are left out).
// False when the process list cannot be read.
bool ListProcessImagePaths(std::vector<std::string>& paths);

// Starts `executable` with argv = executable followed by `arguments`, in `workingFolder`, with
// this process's environment plus `environment` ("NAME=value", replacing a variable of the same
// name), in a new session so it outlives us. No shell and no search path; a relative
// `executable` is taken from this process's current folder, not from `workingFolder`. On failure
// `errorCode` is the errno of the failed step.
bool SpawnDetachedProcess(const std::string& executable,
                          const std::vector<std::string>& arguments,
                          const std::string& workingFolder,
                          int& errorCode,
                          const std::vector<std::string>& environment = {});

}  // namespace platform
