// The KEY=value reader of a command line. The first byte picks the length of the key that
// follows it; the rest is the command line. Properties: a value is found only when the line
// holds the key (ASCII case folded) and "=" at the start of a token, and the answer is the same
// when asked again.
#include "FuzzCheck.h"

#include "base/TextConversions.h"
#include "shell/CommandLine.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string Folded(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    std::size_t keyLength = std::min<std::size_t>(data[0] % 24, size - 1);
    std::string key(reinterpret_cast<const char*>(data) + 1, keyLength);
    std::string line(reinterpret_cast<const char*>(data) + 1 + keyLength, size - 1 - keyLength);

    std::string value;
    bool found = FindCommandLineValue(line, key, value);
    if (found) {
        // Tokens are trimmed of white space, so the key follows the start or any white space.
        std::string token = Folded(key) + "=";
        std::string folded = Folded(line);
        bool named = false;
        for (std::size_t at = folded.find(token); at != std::string::npos && !named; at = folded.find(token, at + 1))
            named = at == 0 || IsSpace(line[at - 1]);
        FUZZ_CHECK(named);
    }
    std::string again;
    FUZZ_CHECK(FindCommandLineValue(line, key, again) == found);
    FUZZ_CHECK(again == value);
    return 0;
}
