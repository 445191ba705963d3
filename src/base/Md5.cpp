#include "base/Md5.h"

#include "platform/CodePage.h"

#include <cstring>

namespace {

constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr int kShift[64] = {7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 5,  9,  14, 20, 5,  9,
                            14, 20, 5,  9,  14, 20, 5,  9,  14, 20, 4,  11, 16, 23, 4,  11, 16, 23, 4,  11, 16, 23,
                            4,  11, 16, 23, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21};

std::uint32_t RotateLeft(std::uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

void Transform(std::uint32_t state[4], const std::uint8_t block[64]) {
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i) {
        x[i] = static_cast<std::uint32_t>(block[i * 4]) | static_cast<std::uint32_t>(block[i * 4 + 1]) << 8 |
               static_cast<std::uint32_t>(block[i * 4 + 2]) << 16 | static_cast<std::uint32_t>(block[i * 4 + 3]) << 24;
    }
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i) {
        std::uint32_t f;
        int g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (b & d) | (c & ~d);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        std::uint32_t next = d;
        d = c;
        c = b;
        b = b + RotateLeft(a + f + kSine[i] + x[g], kShift[i]);
        a = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

}  // namespace

void Md5Update(Md5Context& context, const void* data, std::size_t size) {
    const auto* input = static_cast<const std::uint8_t*>(data);
    std::size_t index = (context.count[0] >> 3) & 0x3F;
    std::uint64_t bits = static_cast<std::uint64_t>(size) << 3;
    std::uint32_t low = context.count[0] + static_cast<std::uint32_t>(bits);
    if (low < context.count[0])
        ++context.count[1];
    context.count[0] = low;
    context.count[1] += static_cast<std::uint32_t>(bits >> 32);

    std::size_t room = 64 - index;
    std::size_t i = 0;
    if (size >= room) {
        std::memcpy(context.buffer + index, input, room);
        Transform(context.state, context.buffer);
        for (i = room; i + 63 < size; i += 64)
            Transform(context.state, input + i);
        index = 0;
    }
    std::memcpy(context.buffer + index, input + i, size - i);
}

void Md5Final(Md5Context& context, std::uint8_t digest[16]) {
    std::uint8_t length[8];
    for (int i = 0; i < 4; ++i) {
        length[i] = static_cast<std::uint8_t>(context.count[0] >> (8 * i));
        length[i + 4] = static_cast<std::uint8_t>(context.count[1] >> (8 * i));
    }
    static const std::uint8_t padding[64] = {0x80};
    std::size_t index = (context.count[0] >> 3) & 0x3F;
    std::size_t padLength = index < 56 ? 56 - index : 120 - index;
    Md5Update(context, padding, padLength);
    Md5Update(context, length, 8);
    for (int i = 0; i < 4; ++i) {
        for (int k = 0; k < 4; ++k)
            digest[i * 4 + k] = static_cast<std::uint8_t>(context.state[i] >> (8 * k));
    }
    std::memset(context.state, 0, sizeof(context.state));
    std::memset(context.count, 0, sizeof(context.count));
    std::memset(context.buffer, 0, sizeof(context.buffer));
}

std::string ToHexUpper(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        out.push_back(digits[byte >> 4]);
        out.push_back(digits[byte & 0x0F]);
    }
    return out;
}

std::string Md5HexOfText(const std::string& text) {
    std::string bytes = platform::TextToAnsi(text);
    Md5Context context;
    Md5Update(context, bytes.data(), bytes.size());
    std::uint8_t digest[16];
    Md5Final(context, digest);
    return ToHexUpper(std::string(reinterpret_cast<const char*>(digest), sizeof(digest)));
}
