#include "platform/CodePage.h"

#include "platform/Utf8Repair.h"
#include "platform/win32/WideText.h"

#include <windows.h>

namespace platform {

namespace {

// The programs declare UTF-8 as their code page (Programs.manifest); Windows before 10 (1903)
// ignores that and keeps the system's.
bool CodePageIsUtf8() {
    return ::GetACP() == CP_UTF8;
}

}  // namespace

std::string AnsiToText(const std::string& bytes) {
    if (CodePageIsUtf8())
        return ReplaceInvalidUtf8(bytes);
    if (bytes.empty())
        return std::string();
    int size = static_cast<int>(bytes.size());
    int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), length);
    return Narrow(wide);
}

std::string TextToAnsi(const std::string& text) {
    if (CodePageIsUtf8())
        return ReplaceInvalidUtf8(text);
    if (text.empty())
        return std::string();
    std::wstring wide = Widen(text);
    int size = static_cast<int>(wide.size());
    // Characters the code page lacks become "?", as on Linux for bytes that are not text.
    int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, "?", nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, bytes.data(), length, "?", nullptr);
    return bytes;
}

}  // namespace platform
