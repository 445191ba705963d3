#pragma once

// The one place where text changes form on Windows: UTF-8 inside the program, UTF-16 only right
// before a W call. Internal to the Windows backend; no header outside win32/ includes it.
#include <string>

namespace platform {

// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::wstring Widen(const std::string& text);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string Narrow(const std::wstring& text);
std::string Narrow(const wchar_t* text);

}  // namespace platform
