#include "platform/DesktopShortcut.h"

#include "platform/FileSystem.h"
#include "platform/win32/WideText.h"

// The system header first: the others build on its types.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace platform {

bool WriteDesktopShortcut(const std::string& desktopFolder, const std::string& title, const DesktopEntry& entry) {
    const std::string& targetPath = entry.program;
    if (desktopFolder.empty() || !FolderExists(desktopFolder))
        return false;
    std::string path = desktopFolder;
    if (path.back() != '\\' && path.back() != '/')
        path.push_back('\\');
    path += title + kDesktopShortcutSuffix;
    std::string workingFolder = targetPath.substr(0, targetPath.find_last_of("\\/") + 1);

    // A thread that already entered another apartment keeps it; the link objects work in both.
    HRESULT entered = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool saved = false;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&link)))) {
        link->SetPath(Widen(targetPath).c_str());
        link->SetWorkingDirectory(Widen(workingFolder).c_str());
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            saved = SUCCEEDED(file->Save(Widen(path).c_str(), TRUE));
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(entered))
        ::CoUninitialize();
    return saved;
}

}  // namespace platform
