#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// MD5 as in RFC 1321. A default-constructed context is fresh: the initial chaining values and a
// zero bit count. Md5Final clears the whole context.
struct Md5Context {
    std::uint32_t state[4] = {0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u};
    std::uint32_t count[2] = {0, 0};  // message length in bits, low word first
    std::uint8_t buffer[64] = {};
};

void Md5Update(Md5Context& context, const void* data, std::size_t size);
void Md5Final(Md5Context& context, std::uint8_t digest[16]);

// Each byte as two upper-case hexadecimal digits.
std::string ToHexUpper(const std::string& bytes);
// Upper-case hexadecimal MD5 of the text's bytes in the system code page.
std::string Md5HexOfText(const std::string& text);

// Whether `tag` is an MD5 a file can be checked against: exactly 32 hexadecimal digits, either case.
bool IsMd5Tag(const std::string& tag);
// Upper-case hexadecimal MD5 of a whole file, read in steps of `buffer`'s size (not empty; a
// caller hashing many files keeps one buffer per thread). `hashed`, when given, grows by each
// step's bytes once they are hashed. False when the file cannot be opened or read, or when `stop`
// (checked before every step) is set.
bool Md5HexOfFile(const std::string& path,
                  std::vector<char>& buffer,
                  std::string& hex,
                  std::atomic<std::int64_t>* hashed = nullptr,
                  const std::atomic<bool>* stop = nullptr);
