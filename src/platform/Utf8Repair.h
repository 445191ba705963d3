#pragma once

#include <string>

namespace platform {

// The bytes with every byte that is not part of a well-formed UTF-8 sequence (overlong forms,
// surrogates and values above U+10FFFF included) replaced by "?": the code page conversions where
// the code page is UTF-8.
std::string ReplaceInvalidUtf8(const std::string& bytes);

}  // namespace platform
