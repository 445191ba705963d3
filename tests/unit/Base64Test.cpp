#include "base/Base64.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(Base64Test, Rfc4648Vectors) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [input, expected] : vectors)
        EXPECT_EQ(Base64EncodeBytes(input), expected) << input;
    EXPECT_EQ(Base64EncodeBytes(std::string("\xff\xfe\x00", 3)), "//4A");
}

TEST(Base64Test, LengthRule) {
    const int expected[] = {0, 4, 4, 4, 8, 8, 8, 12};
    for (std::size_t n = 0; n < 8; ++n)
        EXPECT_EQ(Base64EncodedLength(n), expected[n]) << n;
    EXPECT_EQ(Base64EncodedLength(536870911), 715827884);  // 4 * n still fits
    EXPECT_EQ(Base64EncodedLength(536870912), -1);         // 4 * n overflows
}

TEST(Base64Test, RefusesMissingPointersAndShortBuffersWithoutWriting) {
    char buffer[8] = "xxxxxxx";
    int length = 3;
    EXPECT_FALSE(Base64Encode("ab", 2, buffer, &length));
    EXPECT_STREQ(buffer, "xxxxxxx");
    EXPECT_EQ(length, 3);
    length = 8;
    EXPECT_FALSE(Base64Encode(nullptr, 2, buffer, &length));
    EXPECT_FALSE(Base64Encode("ab", 2, nullptr, &length));
    EXPECT_FALSE(Base64Encode("ab", 2, buffer, nullptr));
    ASSERT_TRUE(Base64Encode("ab", 2, buffer, &length));
    EXPECT_EQ(length, 4);
    EXPECT_EQ(std::string(buffer, 4), "YWI=");
    EXPECT_EQ(buffer[4], 'x');  // no terminator written
}

}  // namespace
