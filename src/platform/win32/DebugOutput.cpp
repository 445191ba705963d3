#include "platform/Backend.h"

#include "platform/win32/WideText.h"

#include <windows.h>

namespace platform::backend {

void SendDebugOutput(const std::string& bytes) {
    ::OutputDebugStringW(Widen(bytes).c_str());
    // A program started from a console or with redirected output also writes there, in one call
    // (the handle, not the C runtime's descriptor, which would turn LF into CR LF).
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE)
        return;
    const char* data = bytes.data();
    std::size_t size = bytes.size();
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(output, data, static_cast<DWORD>(size), &written, nullptr) || written == 0)
            return;
        data += written;
        size -= written;
    }
}

}  // namespace platform::backend
