#pragma once

#include <cstddef>
#include <string>

// Characters needed for n input bytes (4 * ceil(n / 3)); -1 when 4 * n would overflow a signed
// 32-bit integer.
int Base64EncodedLength(std::size_t n);

// Standard alphabet, "=" padding, no line breaks, no terminator. `outLength` holds the buffer's
// size on entry and the characters written on success. Writes nothing when it returns false.
bool Base64Encode(const void* data, std::size_t size, char* out, int* outLength);

// Convenience: the encoding of `bytes` (empty on failure).
std::string Base64EncodeBytes(const std::string& bytes);
