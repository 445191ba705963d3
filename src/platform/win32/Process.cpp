#include "platform/Process.h"
#include "platform/Backend.h"
#include "platform/win32/WideText.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

// The system's command line after the program's own path (quoted or not) and the blanks after it.
std::string SystemParameterText() {
    const wchar_t* line = ::GetCommandLineW();
    if (!line)
        return std::string();
    const wchar_t* at = line;
    if (*at == L'"') {
        ++at;
        while (*at && *at != L'"')
            ++at;
        if (*at)
            ++at;
    } else {
        while (*at && *at != L' ' && *at != L'\t')
            ++at;
    }
    while (*at == L' ' || *at == L'\t')
        ++at;
    return Narrow(at);
}

}  // namespace

void TerminateCurrentProcess(int code) {
    std::fflush(stdout);
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(code));
    std::_Exit(code);  // not reached: the call above does not return for the current process
}

long CurrentProcessId() {
    return static_cast<long>(::GetCurrentProcessId());
}

namespace backend {

bool SystemArgumentText(int argc, char** argv, std::string& text) {
    // main()'s own arguments: their text is in the code page, so it is taken from the system's
    // wide command line instead, where nothing was lost.
    if (argv == nullptr || argc != __argc || argv != __argv)
        return false;
    text = SystemParameterText();
    return true;
}

}  // namespace backend
}  // namespace platform
