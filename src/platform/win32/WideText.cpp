#include "platform/win32/WideText.h"

#include <windows.h>

namespace platform {

std::wstring Widen(const std::string& text) {
    if (text.empty())
        return std::wstring();
    int size = static_cast<int>(text.size());
    int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty())
        return std::string();
    int size = static_cast<int>(text.size());
    int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::string Narrow(const wchar_t* text) {
    return text ? Narrow(std::wstring(text)) : std::string();
}

}  // namespace platform
