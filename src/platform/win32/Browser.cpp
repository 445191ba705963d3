#include "platform/Browser.h"

#include "platform/win32/WideText.h"

// The system header first: the others build on its types.
#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

namespace platform {

bool OpenWithDesktop(const std::string& address) {
    // ShellExecuteW answers a value above 32 on success.
    HINSTANCE result = ::ShellExecuteW(nullptr, L"open", Widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

std::string ConfiguredBrowserCommand() {
    // The program registered for web pages (the ".htm" association).
    wchar_t program[MAX_PATH * 2];
    DWORD size = sizeof(program) / sizeof(program[0]);
    if (::AssocQueryStringW(ASSOCF_NONE, ASSOCSTR_EXECUTABLE, L".htm", L"open", program, &size) != S_OK)
        return std::string();
    return Narrow(program);
}

bool RunCommandWithArgument(const std::string& command, const std::string& argument) {
    if (command.empty())
        return false;
    std::wstring line = L"\"" + Widen(command) + L"\" \"" + Widen(argument) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(Widen(command).c_str(), line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                          nullptr, &startup, &process))
        return false;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

}  // namespace platform
