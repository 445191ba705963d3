#include "platform/Process.h"

#include <unistd.h>

#include <cstdio>
#include <mutex>

namespace platform {
namespace {

std::mutex commandLineLock;
std::string commandLine;

}  // namespace

void TerminateCurrentProcess(int code) {
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(code);
}

long CurrentProcessId() {
    return static_cast<long>(::getpid());
}

void SetCommandLine(int argc, char** argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            text.push_back(' ');
        text.append(argv[i]);
    }
    std::lock_guard<std::mutex> guard(commandLineLock);
    commandLine = text;
}

std::string CommandLineText() {
    std::lock_guard<std::mutex> guard(commandLineLock);
    return commandLine;
}

}  // namespace platform
