#pragma once

// What the platform files shared by both systems (File.cpp, DebugOutput.cpp, Process.cpp) ask of
// the system's backend, posix/ or win32/. Only src/platform includes it.
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform::backend {

enum class OpenFor { Reading, Writing, WritingProgram, Appending };

// A descriptor of the C runtime for `path` (not inherited by child processes; binary where the
// system knows text mode), or -1. Writing truncates or creates the file (WritingProgram: one a
// program may run); Appending opens an existing file at its end.
int OpenDescriptor(const std::string& path, OpenFor purpose);
// Writes all of it, retrying short writes; false when the system refuses.
bool WriteDescriptor(int fd, const char* data, std::size_t size);
// Reads up to `size` bytes: the count, 0 at the end, -1 on error.
std::int64_t ReadDescriptor(int fd, void* data, std::size_t size);
bool CloseDescriptor(int fd);

// Hands debug output to the system: standard output, and on Windows also the debugger.
void SendDebugOutput(const std::string& bytes);

// The system's own text of the arguments after the program path, when `argv` are the ones the
// system handed to main and their text is less faithful than that (Windows' code page); false to
// join `argv` instead.
bool SystemArgumentText(int argc, char** argv, std::string& text);

}  // namespace platform::backend
