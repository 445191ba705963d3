#include "base/OrdinalLess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

TEST(OrdinalLessTest, FollowsUtf16CodeUnitsNotBytes) {
    const std::string fullwidthA = "\xEF\xBC\xA1";  // U+FF21
    const std::string emoji = "\xF0\x9F\x98\x80";   // U+1F600, a surrogate pair in UTF-16
    const std::string hangul = "\xED\x9E\xA3";      // U+D7A3, just below the surrogates
    const std::string privateUse = "\xEE\x80\x80";  // U+E000
    // Byte order would put the emoji last; code units put it between U+D7A3 and U+E000.
    std::vector<std::string> names = {fullwidthA, privateUse, emoji, hangul, "b", "a", "ab", "B"};
    std::sort(names.begin(), names.end(), OrdinalLess());
    EXPECT_EQ(names, (std::vector<std::string>{"B", "a", "ab", "b", hangul, emoji, privateUse, fullwidthA}));
}

TEST(OrdinalLessTest, PrefixesFirstAndCaseSensitive) {
    EXPECT_LT(OrdinalCompare("a", "a\\b"), 0);
    EXPECT_GT(OrdinalCompare("a.dat", "A.dat"), 0);
    EXPECT_EQ(OrdinalCompare("x\xE4\xB8\xAD", "x\xE4\xB8\xAD"), 0);
    // Same lead byte: the continuation bytes decide, as the code points do.
    EXPECT_LT(OrdinalCompare("\xE4\xB8\xAD", "\xE4\xB8\xAE"), 0);
    EXPECT_LT(OrdinalCompare("\xF0\x9F\x98\x80", "\xF0\x9F\x98\x81"), 0);
}

}  // namespace
