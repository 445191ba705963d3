#include "platform/Paths.h"

#include "platform/win32/WideText.h"

// The system header first: the others build on its types.
#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <cwchar>

namespace platform {
namespace {

std::string KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    std::string folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path)))
        folder = Narrow(path);
    ::CoTaskMemFree(path);
    while (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

}  // namespace

std::string ApplicationDataFolder() {
    return KnownFolder(FOLDERID_RoamingAppData);
}

bool DefaultInstallBase(std::string& out) {
    wchar_t drives[256];
    DWORD length = ::GetLogicalDriveStringsW(sizeof(drives) / sizeof(drives[0]) - 1, drives);
    if (length == 0 || length >= sizeof(drives) / sizeof(drives[0]))
        return false;
    for (const wchar_t* root = drives; *root; root += wcslen(root) + 1) {
        if (::GetDriveTypeW(root) == DRIVE_FIXED) {
            out = "C:\\";  // the install drive is C: whichever fixed drive exists
            return true;
        }
    }
    return false;
}

bool IsExistingFixedFolder(const std::string& path) {
    std::wstring wide = Widen(path);
    // Absolute: "X:\..." or a UNC name "\\server\share\...".
    bool drivePath =
        wide.size() >= 3 && IsDriveLetter(wide[0]) && wide[1] == L':' && (wide[2] == L'\\' || wide[2] == L'/');
    bool uncPath = wide.size() >= 2 && wide[0] == L'\\' && wide[1] == L'\\';
    if (!drivePath && !uncPath)
        return false;
    DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    // The drive type belongs to the volume's root; asked about a deeper folder the system
    // answers "no root", which would refuse every stored game root.
    wchar_t volume[MAX_PATH + 1];
    if (!::GetVolumePathNameW(wide.c_str(), volume, MAX_PATH + 1))
        return false;
    return ::GetDriveTypeW(volume) == DRIVE_FIXED;
}

std::string ModuleFilePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::string();
        if (length < buffer.size()) {
            buffer.resize(length);
            return Narrow(buffer);
        }
        if (buffer.size() >= 32768)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::string CurrentFolder() {
    DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    if (size == 0)
        return std::string();
    std::wstring buffer(size, L'\0');
    DWORD length = ::GetCurrentDirectoryW(size, buffer.data());
    buffer.resize(length < size ? length : 0);
    // "C:\" keeps its separator; deeper folders have none.
    if (buffer.size() > 3 && buffer.back() == L'\\')
        buffer.pop_back();
    return Narrow(buffer);
}

std::string DesktopFolder() {
    return KnownFolder(FOLDERID_Desktop);
}

}  // namespace platform
