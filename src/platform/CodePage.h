#pragma once

#include <string>

// The system code page. It is UTF-8 here, so conversions are the identity for valid text and turn
// every byte that is not part of a well-formed UTF-8 sequence into "?". A Windows backend puts
// the ANSI code page behind the same names.
namespace platform {

std::string AnsiToText(const std::string& bytes);
std::string TextToAnsi(const std::string& text);

}  // namespace platform
