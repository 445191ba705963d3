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

// Strict decoding of the same alphabet: false (and `bytes` untouched) for any other character, a
// length that is not a multiple of 4, "=" anywhere but in the last one or two places, or bits
// left over in the last group, so every byte string has exactly one accepted encoding.
bool Base64Decode(const std::string& text, std::string& bytes);
