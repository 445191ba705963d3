#include "base/OrdinalLess.h"

#include <algorithm>

namespace {

// Sort weight of the byte where two names first differ. Lead bytes F0-F4 (supplementary
// characters, surrogate pairs in UTF-16) sort between ED and EE, that is below U+E000..U+FFFF;
// every other byte keeps its own order.
int Weight(unsigned char byte) {
    if (byte >= 0xF0 && byte <= 0xF4)
        return 0xED * 8 + 1 + (byte - 0xF0);
    return byte * 8;
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

int OrdinalCompare(const std::string& a, const std::string& b) {
    std::size_t n = std::min(a.size(), b.size());
    std::size_t i = std::mismatch(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(n), b.begin()).first - a.begin();
    if (i == n)
        return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
    unsigned char ca = static_cast<unsigned char>(a[i]);
    unsigned char cb = static_cast<unsigned char>(b[i]);
    // Inside a character whose lead bytes are equal, byte order is code-unit order.
    if (IsContinuation(ca) || IsContinuation(cb))
        return ca < cb ? -1 : 1;
    return Weight(ca) < Weight(cb) ? -1 : 1;
}
