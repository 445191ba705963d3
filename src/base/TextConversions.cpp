#include "base/TextConversions.h"

#include "platform/CodePage.h"

#include <cstring>

bool IsUtf8Text(const char* bytes, std::size_t count) {
    if (!bytes)
        return false;
    int pending = 0;
    bool allAscii = true;
    for (std::size_t i = 0; i < count; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (pending > 0) {
            if (c < 0x80 || c > 0xBF)
                return false;
            --pending;
        } else if (c >= 0x80) {
            if (c >= 0xFC && c <= 0xFD)
                pending = 5;
            else if (c >= 0xF8)
                pending = 4;
            else if (c >= 0xF0)
                pending = 3;
            else if (c >= 0xE0)
                pending = 2;
            else if (c >= 0xC0)
                pending = 1;
            else
                return false;
        }
        if (c >= 0x80)
            allAscii = false;
    }
    return pending == 0 && !allAscii;
}

bool Utf8ToText(const char* bytes, std::string* text) {
    if (!bytes || !text)
        return false;
    *text = platform::AnsiToText(platform::TextToAnsi(std::string(bytes, std::strlen(bytes))));
    return true;
}

bool TextToUtf8(const std::string& text, std::string* bytes) {
    if (!bytes)
        return false;
    *bytes = text;
    return true;
}

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::string TrimText(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

void ForEachSplitToken(std::string_view text,
                       std::string_view delimiters,
                       const std::function<void(std::string_view)>& token) {
    // A table instead of searching the delimiter set for every character: manifests run to
    // millions of characters.
    bool isDelimiter[256] = {};
    for (char c : delimiters)
        isDelimiter[static_cast<unsigned char>(c)] = true;
    auto delimiter = [&isDelimiter](char c) { return isDelimiter[static_cast<unsigned char>(c)]; };
    std::size_t position = 0;
    while (position < text.size()) {
        std::size_t begin = position;
        while (begin < text.size() && delimiter(text[begin]))
            ++begin;
        if (begin == text.size())
            break;
        std::size_t end = begin;
        while (end < text.size() && !delimiter(text[end]))
            ++end;
        std::size_t first = begin, last = end;
        while (first < last && IsSpace(text[first]))
            ++first;
        while (last > first && IsSpace(text[last - 1]))
            --last;
        if (first == last)
            break;
        token(text.substr(first, last - first));
        position = end;
    }
}

bool SplitText(const std::string& text, const std::string& delimiters, std::vector<std::string>* out) {
    if (!out)
        return false;
    ForEachSplitToken(text, delimiters, [out](std::string_view token) { out->emplace_back(token); });
    return true;
}

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string UrlDecode(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '+') {
            out.push_back(' ');
        } else if (c == '%' && i + 2 < bytes.size() && HexValue(bytes[i + 1]) >= 0 && HexValue(bytes[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(bytes[i + 1]) * 16 + HexValue(bytes[i + 2])));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string IntToText(int value) {
    return std::to_string(value);
}

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}
