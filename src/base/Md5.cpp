#include "base/Md5.h"

#include "platform/CodePage.h"
#include "platform/File.h"

#include <cctype>
#include <cstring>

namespace {

std::uint32_t RotateLeft(std::uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

// The four rounds' functions in the forms with the fewest operations after the newest word x (the
// chain runs through it): G's two halves have no bit in common, so they can be added separately.
std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return z ^ (x & (y ^ z));
}
std::uint32_t G(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return (x & z) + (y & ~z);
}
std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return x ^ y ^ z;
}
std::uint32_t I(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return y ^ (x | ~z);
}

template <std::uint32_t (*Round)(std::uint32_t, std::uint32_t, std::uint32_t)>
void Step(std::uint32_t& a,
          std::uint32_t b,
          std::uint32_t c,
          std::uint32_t d,
          std::uint32_t x,
          std::uint32_t t,
          int s) {
    a = b + RotateLeft(a + Round(b, c, d) + x + t, s);
}

std::uint32_t LoadLittleEndian(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Every step written out with its constants: a loop that picks the round function, word and
// shift per step runs at about half the speed, and hashing installed files is bound by this.
void Transform(std::uint32_t state[4], const std::uint8_t* blocks, std::size_t count) {
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (; count > 0; --count, blocks += 64) {
        std::uint32_t x[16];
        for (int i = 0; i < 16; ++i)
            x[i] = LoadLittleEndian(blocks + i * 4);
        const std::uint32_t a0 = a, b0 = b, c0 = c, d0 = d;

        Step<F>(a, b, c, d, x[0], 0xd76aa478, 7);
        Step<F>(d, a, b, c, x[1], 0xe8c7b756, 12);
        Step<F>(c, d, a, b, x[2], 0x242070db, 17);
        Step<F>(b, c, d, a, x[3], 0xc1bdceee, 22);
        Step<F>(a, b, c, d, x[4], 0xf57c0faf, 7);
        Step<F>(d, a, b, c, x[5], 0x4787c62a, 12);
        Step<F>(c, d, a, b, x[6], 0xa8304613, 17);
        Step<F>(b, c, d, a, x[7], 0xfd469501, 22);
        Step<F>(a, b, c, d, x[8], 0x698098d8, 7);
        Step<F>(d, a, b, c, x[9], 0x8b44f7af, 12);
        Step<F>(c, d, a, b, x[10], 0xffff5bb1, 17);
        Step<F>(b, c, d, a, x[11], 0x895cd7be, 22);
        Step<F>(a, b, c, d, x[12], 0x6b901122, 7);
        Step<F>(d, a, b, c, x[13], 0xfd987193, 12);
        Step<F>(c, d, a, b, x[14], 0xa679438e, 17);
        Step<F>(b, c, d, a, x[15], 0x49b40821, 22);

        Step<G>(a, b, c, d, x[1], 0xf61e2562, 5);
        Step<G>(d, a, b, c, x[6], 0xc040b340, 9);
        Step<G>(c, d, a, b, x[11], 0x265e5a51, 14);
        Step<G>(b, c, d, a, x[0], 0xe9b6c7aa, 20);
        Step<G>(a, b, c, d, x[5], 0xd62f105d, 5);
        Step<G>(d, a, b, c, x[10], 0x02441453, 9);
        Step<G>(c, d, a, b, x[15], 0xd8a1e681, 14);
        Step<G>(b, c, d, a, x[4], 0xe7d3fbc8, 20);
        Step<G>(a, b, c, d, x[9], 0x21e1cde6, 5);
        Step<G>(d, a, b, c, x[14], 0xc33707d6, 9);
        Step<G>(c, d, a, b, x[3], 0xf4d50d87, 14);
        Step<G>(b, c, d, a, x[8], 0x455a14ed, 20);
        Step<G>(a, b, c, d, x[13], 0xa9e3e905, 5);
        Step<G>(d, a, b, c, x[2], 0xfcefa3f8, 9);
        Step<G>(c, d, a, b, x[7], 0x676f02d9, 14);
        Step<G>(b, c, d, a, x[12], 0x8d2a4c8a, 20);

        Step<H>(a, b, c, d, x[5], 0xfffa3942, 4);
        Step<H>(d, a, b, c, x[8], 0x8771f681, 11);
        Step<H>(c, d, a, b, x[11], 0x6d9d6122, 16);
        Step<H>(b, c, d, a, x[14], 0xfde5380c, 23);
        Step<H>(a, b, c, d, x[1], 0xa4beea44, 4);
        Step<H>(d, a, b, c, x[4], 0x4bdecfa9, 11);
        Step<H>(c, d, a, b, x[7], 0xf6bb4b60, 16);
        Step<H>(b, c, d, a, x[10], 0xbebfbc70, 23);
        Step<H>(a, b, c, d, x[13], 0x289b7ec6, 4);
        Step<H>(d, a, b, c, x[0], 0xeaa127fa, 11);
        Step<H>(c, d, a, b, x[3], 0xd4ef3085, 16);
        Step<H>(b, c, d, a, x[6], 0x04881d05, 23);
        Step<H>(a, b, c, d, x[9], 0xd9d4d039, 4);
        Step<H>(d, a, b, c, x[12], 0xe6db99e5, 11);
        Step<H>(c, d, a, b, x[15], 0x1fa27cf8, 16);
        Step<H>(b, c, d, a, x[2], 0xc4ac5665, 23);

        Step<I>(a, b, c, d, x[0], 0xf4292244, 6);
        Step<I>(d, a, b, c, x[7], 0x432aff97, 10);
        Step<I>(c, d, a, b, x[14], 0xab9423a7, 15);
        Step<I>(b, c, d, a, x[5], 0xfc93a039, 21);
        Step<I>(a, b, c, d, x[12], 0x655b59c3, 6);
        Step<I>(d, a, b, c, x[3], 0x8f0ccc92, 10);
        Step<I>(c, d, a, b, x[10], 0xffeff47d, 15);
        Step<I>(b, c, d, a, x[1], 0x85845dd1, 21);
        Step<I>(a, b, c, d, x[8], 0x6fa87e4f, 6);
        Step<I>(d, a, b, c, x[15], 0xfe2ce6e0, 10);
        Step<I>(c, d, a, b, x[6], 0xa3014314, 15);
        Step<I>(b, c, d, a, x[13], 0x4e0811a1, 21);
        Step<I>(a, b, c, d, x[4], 0xf7537e82, 6);
        Step<I>(d, a, b, c, x[11], 0xbd3af235, 10);
        Step<I>(c, d, a, b, x[2], 0x2ad7d2bb, 15);
        Step<I>(b, c, d, a, x[9], 0xeb86d391, 21);

        a += a0;
        b += b0;
        c += c0;
        d += d0;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
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
        Transform(context.state, context.buffer, 1);
        std::size_t blocks = (size - room) / 64;
        Transform(context.state, input + room, blocks);
        i = room + blocks * 64;
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

namespace {

std::string FinalHex(Md5Context& context) {
    std::uint8_t digest[16];
    Md5Final(context, digest);
    return ToHexUpper(std::string(reinterpret_cast<const char*>(digest), sizeof(digest)));
}

}  // namespace

std::string Md5HexOfText(const std::string& text) {
    std::string bytes = platform::TextToAnsi(text);
    Md5Context context;
    Md5Update(context, bytes.data(), bytes.size());
    return FinalHex(context);
}

bool IsMd5Tag(const std::string& tag) {
    if (tag.size() != 32)
        return false;
    for (unsigned char c : tag) {
        if (!std::isxdigit(c))
            return false;
    }
    return true;
}

bool Md5HexOfFile(const std::string& path,
                  std::vector<char>& buffer,
                  std::string& hex,
                  std::atomic<std::int64_t>* hashed,
                  const std::atomic<bool>* stop) {
    platform::File file;
    if (!file.OpenForRead(path))
        return false;
    Md5Context context;
    for (;;) {
        if (stop && stop->load(std::memory_order_relaxed))
            return false;
        std::int64_t n = file.Read(buffer.data(), buffer.size());
        if (n < 0)
            return false;
        if (n == 0)
            break;
        Md5Update(context, buffer.data(), static_cast<std::size_t>(n));
        if (hashed)
            hashed->fetch_add(n, std::memory_order_relaxed);
        // A regular file reads short only at its end: no read for the zero (a small file costs
        // one read instead of two, which counts over tens of thousands of files).
        if (static_cast<std::size_t>(n) < buffer.size())
            break;
    }
    hex = FinalHex(context);
    return true;
}
