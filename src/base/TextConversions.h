#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Text utilities shared by the command line, the manifests and the notice request. Text is
// UTF-8 in std::string; "bytes" are raw bytes kept in std::string.

// True only for well-formed-looking UTF-8 that has at least one byte at or above 0x80.
bool IsUtf8Text(const char* bytes, std::size_t count);
inline bool IsUtf8Text(const std::string& bytes) {
    return IsUtf8Text(bytes.data(), bytes.size());
}

// Decodes UTF-8 bytes (up to a NUL) through the system code page; characters it cannot hold
// become "?". False only when an argument is missing.
bool Utf8ToText(const char* bytes, std::string* text);
// Encodes text as UTF-8 without terminator or byte-order mark. False only when an argument is
// missing.
bool TextToUtf8(const std::string& text, std::string* bytes);

// Splits at any of `delimiters`; runs of delimiters are one separator; tokens are trimmed; the
// first token that is empty after trimming ends the split. Appends to `out`; false when `out` is
// missing.
bool SplitText(const std::string& text, const std::string& delimiters, std::vector<std::string>* out);
// The same tokens handed to `token` one by one as views into `text`, for callers that split
// large texts and keep only parts of them.
void ForEachSplitToken(std::string_view text,
                       std::string_view delimiters,
                       const std::function<void(std::string_view)>& token);

// "+" becomes a space and "%" with two hexadecimal digits becomes that byte. A "%" not followed
// by two hexadecimal digits is kept as it is.
std::string UrlDecode(const std::string& bytes);

std::string IntToText(int value);

// Equal when only ASCII letter case differs.
bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b);

// Trims the white space the C library's classification counts (space, \t, \n, \v, \f, \r).
std::string TrimText(const std::string& text);
