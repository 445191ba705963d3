#include "platform/Process.h"
#include "platform/Backend.h"

#include <unistd.h>

#include <cstdio>

namespace platform {

void TerminateCurrentProcess(int code) {
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(code);
}

long CurrentProcessId() {
    return static_cast<long>(::getpid());
}

namespace backend {

bool SystemArgumentText(int, char**, std::string&) {
    return false;  // main's arguments are the system's own bytes
}

}  // namespace backend
}  // namespace platform
