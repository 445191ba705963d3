#include "platform/DiskSpace.h"

#include "platform/win32/WideText.h"

#include <windows.h>

namespace platform {
namespace {

// The folder above `path`, or empty at a root.
std::string Parent(const std::string& path) {
    std::size_t end = path.size();
    while (end > 0 && (path[end - 1] == '\\' || path[end - 1] == '/'))
        --end;
    std::size_t slash = path.find_last_of("\\/", end == 0 ? 0 : end - 1);
    if (slash == std::string::npos || end == 0)
        return std::string();
    return path.substr(0, slash + 1);
}

}  // namespace

bool FreeDiskSpace(const std::string& path, std::uint64_t& freeBytes, std::string& mountPoint) {
    std::string existing = path;
    while (!existing.empty() && ::GetFileAttributesW(Widen(existing).c_str()) == INVALID_FILE_ATTRIBUTES)
        existing = Parent(existing);
    if (existing.empty())
        return false;
    std::wstring wide = Widen(existing);
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(wide.c_str(), &available, nullptr, nullptr))
        return false;
    freeBytes = available.QuadPart;
    // The volume's root ("C:\"), as the drive shown to the player.
    wchar_t volume[MAX_PATH + 1];
    mountPoint = ::GetVolumePathNameW(wide.c_str(), volume, MAX_PATH + 1) ? Narrow(volume) : existing;
    return true;
}

}  // namespace platform
