#pragma once

#include <string>

// Orders UTF-8 names as their UTF-16 code units would order: plain byte order except that
// supplementary characters (4-byte sequences, UTF-16 surrogates D800-DFFF) sort before
// U+E000..U+FFFF. Every ordered container or sort of names uses this.
int OrdinalCompare(const std::string& a, const std::string& b);

struct OrdinalLess {
    bool operator()(const std::string& a, const std::string& b) const { return OrdinalCompare(a, b) < 0; }
};
