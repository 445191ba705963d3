#include "base/TextConversions.h"
#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace {

TEST(TextConversionsTest, IsUtf8Text) {
    const struct {
        std::string bytes;
        bool expected;
    } cases[] = {
        {"", false},
        {"plain ascii {\"a\":1}", false},
        {"\xE4\xB8\xAD\xE6\x96\x87 text", true},  // Chinese
        {"ok \xE4\xB8", false},                   // cut inside a multi-byte sequence
        {"\xE4\xB8\xAD\xE6\x96", false},          // cut at the end
        {"\x80 stray continuation", false},
        {"\xC3\xA9", true},
        {"\xC3(", false},            // continuation missing
        {"\xF0\x9F\x98\x80", true},  // 4-byte sequence
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsUtf8Text(c.bytes), c.expected) << c.bytes;
    EXPECT_FALSE(IsUtf8Text(nullptr, 3));
}

TEST(TextConversionsTest, SplitText) {
    const struct {
        std::string text;
        std::string delimiters;
        std::vector<std::string> expected;
    } cases[] = {
        {",a,,b,", ",", {"a", "b"}},
        {"x=1\r\n   \r\ny=2", "\r\n", {"x=1"}},  // a blank line ends the list
        {"  a.dat = 1234 ", "=", {"a.dat", "1234"}},
        {"a.dat==1234", "=", {"a.dat", "1234"}},
        {"a.dat= =1234", "=", {"a.dat"}},  // the blank field ends the line
        {"=abc", "=", {"abc"}},
        {"  prog   KEY=v   OTHER=w ", " ", {"prog", "KEY=v", "OTHER=w"}},
        {"", " ", {}},
        {"====", "=", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> out;
        ASSERT_TRUE(SplitText(c.text, c.delimiters, &out));
        EXPECT_EQ(out, c.expected) << c.text;
    }
    EXPECT_FALSE(SplitText("a", ",", nullptr));
}

TEST(TextConversionsTest, SplitTextAppendsToExistingTokens) {
    std::vector<std::string> out = {"first"};
    SplitText("b c", " ", &out);
    EXPECT_EQ(out, (std::vector<std::string>{"first", "b", "c"}));
}

TEST(TextConversionsTest, UrlDecode) {
    const std::pair<std::string, std::string> cases[] = {
        {"a+b%2Fc", "a b/c"},
        {"a%20b", "a b"},
        {"%41%6a", "Aj"},
        {"100%", "100%"},    // nothing follows
        {"5%2", "5%2"},      // one character follows
        {"%zz%4", "%zz%4"},  // not hexadecimal
        {"%%41", "%A"},      // the first "%" stays, the second starts an escape
        {"%00x", std::string("\0x", 2)},
        {"C:/QRVO/Tolm/entry.exe", "C:/QRVO/Tolm/entry.exe"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(UrlDecode(input), expected) << input;
}

TEST(TextConversionsTest, CodePageTurnsInvalidBytesIntoQuestionMarks) {
    EXPECT_EQ(platform::AnsiToText("\xE4\xB8\xAD"), "\xE4\xB8\xAD");
    EXPECT_EQ(platform::AnsiToText("a\xFF"
                                   "b"),
              "a?b");
    EXPECT_EQ(platform::AnsiToText("a\xE4\xB8"), "a??");
    EXPECT_EQ(platform::TextToAnsi("\xED\xA0\x80"), "???");  // an encoded surrogate is not text
    EXPECT_EQ(platform::TextToAnsi("\xC0\xAF"), "??");       // overlong "/"
    std::string text;
    ASSERT_TRUE(Utf8ToText("ok\xFE", &text));
    EXPECT_EQ(text, "ok?");
    EXPECT_FALSE(Utf8ToText(nullptr, &text));
    std::string bytes;
    ASSERT_TRUE(TextToUtf8("\xE4\xB8\xAD", &bytes));
    EXPECT_EQ(bytes, "\xE4\xB8\xAD");
}

TEST(TextConversionsTest, IntToText) {
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(-2147483647 - 1), "-2147483648");
}

}  // namespace
