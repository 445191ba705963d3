#include "platform/SingleInstance.h"

#include "platform/win32/WideText.h"

#include <windows.h>

namespace platform {

bool ReserveSingleInstanceName(const std::string& name, const std::string& /*privateFolder*/) {
    // A named mutex in the session's (local) namespace, which other users' sessions do not share;
    // no file is needed. The open handle is the reservation.
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, Widen(name).c_str());
    DWORD error = ::GetLastError();
    if (mutex == nullptr)
        return error != ERROR_ACCESS_DENIED;  // denied: another user's process holds the name
    if (error == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        return false;
    }
    return true;
}

}  // namespace platform
