#include "platform/Environment.h"

#include "platform/win32/WideText.h"

// The system header first: the others build on its types.
#include <windows.h>

#include <stdlib.h>

namespace platform {

std::string EnvironmentValue(const char* name) {
    std::wstring wideName = Widen(name);
    DWORD size = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0)
        return std::string();
    std::wstring value(size, L'\0');
    DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
    value.resize(length < size ? length : 0);
    return Narrow(value);
}

// Through the C runtime, which passes the change on to the system's block as well.
bool SetEnvironmentValue(const char* name, const std::string& value) {
    return ::_wputenv_s(Widen(name).c_str(), Widen(value).c_str()) == 0;
}

bool UnsetEnvironmentValue(const char* name) {
    return ::_wputenv_s(Widen(name).c_str(), L"") == 0;
}

}  // namespace platform
