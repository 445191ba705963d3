#include "base/Base64.h"

#include <climits>
#include <cstdint>

int Base64EncodedLength(std::size_t n) {
    if (n > static_cast<std::size_t>(INT_MAX / 4))
        return -1;
    return static_cast<int>((n + 2) / 3 * 4);
}

bool Base64Encode(const void* data, std::size_t size, char* out, int* outLength) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (!data || !out || !outLength)
        return false;
    int needed = Base64EncodedLength(size);
    if (needed < 0 || *outLength < needed)
        return false;
    const auto* in = static_cast<const std::uint8_t*>(data);
    char* p = out;
    std::size_t i = 0;
    for (; i + 2 < size; i += 3) {
        std::uint32_t v =
            static_cast<std::uint32_t>(in[i]) << 16 | static_cast<std::uint32_t>(in[i + 1]) << 8 | in[i + 2];
        *p++ = alphabet[v >> 18];
        *p++ = alphabet[(v >> 12) & 0x3F];
        *p++ = alphabet[(v >> 6) & 0x3F];
        *p++ = alphabet[v & 0x3F];
    }
    if (i < size) {
        std::uint32_t v = static_cast<std::uint32_t>(in[i]) << 16;
        if (i + 1 < size)
            v |= static_cast<std::uint32_t>(in[i + 1]) << 8;
        *p++ = alphabet[v >> 18];
        *p++ = alphabet[(v >> 12) & 0x3F];
        *p++ = i + 1 < size ? alphabet[(v >> 6) & 0x3F] : '=';
        *p++ = '=';
    }
    *outLength = static_cast<int>(p - out);
    return true;
}

std::string Base64EncodeBytes(const std::string& bytes) {
    int length = Base64EncodedLength(bytes.size());
    if (length < 0)
        return std::string();
    std::string out(static_cast<std::size_t>(length), '\0');
    if (!Base64Encode(bytes.data(), bytes.size(), out.data(), &length))
        return std::string();
    out.resize(static_cast<std::size_t>(length));
    return out;
}

namespace {

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

}  // namespace

bool Base64Decode(const std::string& text, std::string& bytes) {
    if (text.size() % 4 != 0)
        return false;
    std::size_t padding = 0;
    if (!text.empty() && text.back() == '=')
        padding = text[text.size() - 2] == '=' ? 2 : 1;
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        bool last = i + 4 == text.size();
        std::size_t digits = last ? 4 - padding : 4;
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            int value = k < digits ? Base64Value(text[i + k]) : (text[i + k] == '=' ? 0 : -1);
            if (value < 0)
                return false;
            v = v << 6 | static_cast<std::uint32_t>(value);
        }
        // The bits a short last group does not carry must be zero.
        if ((padding == 1 && last && (v & 0xFF) != 0) || (padding == 2 && last && (v & 0xFFFF) != 0))
            return false;
        out.push_back(static_cast<char>(v >> 16));
        if (digits > 2)
            out.push_back(static_cast<char>((v >> 8) & 0xFF));
        if (digits > 3)
            out.push_back(static_cast<char>(v & 0xFF));
    }
    bytes = std::move(out);
    return true;
}
