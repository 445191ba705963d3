#include "download/DownloadTextProcessor.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Received(DownloadTextProcessor& processor, const std::string& body) {
    EXPECT_TRUE(processor.Begin(static_cast<std::uint32_t>(body.size())));
    // Odd-sized pieces, as a transfer may cut them.
    for (std::size_t i = 0; i < body.size(); i += 2)
        EXPECT_TRUE(
            processor.Write(body.data() + i, static_cast<std::uint32_t>(std::min<std::size_t>(2, body.size() - i))));
    EXPECT_TRUE(processor.Finish());
    std::string content;
    EXPECT_TRUE(processor.GetContent(content));
    return content;
}

TEST(DownloadTextProcessorTest, ByteOrderMarkIsDroppedOnlyAtTheStart) {
    struct Case {
        std::string body;
        std::string content;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF"
         "abc",
         "abc"},
        {"abc", "abc"},
        {"\xEF\xBB\xBF", ""},
        {"\xEF\xBB", "\xEF\xBB"},
        {"a\xEF\xBB\xBF"
         "b",
         "a\xEF\xBB\xBF"
         "b"},
        {"", ""},
    };
    for (const Case& c : cases) {
        DownloadTextProcessor processor(DownloadTaskInfo{});
        EXPECT_EQ(Received(processor, c.body), c.content);
        // The held text is unchanged: asking again gives the same.
        std::string again = "stale";
        EXPECT_TRUE(processor.GetContent(again));
        EXPECT_EQ(again, c.content);
    }
}

TEST(DownloadTextProcessorTest, OnlyTheLatestAttemptCounts) {
    DownloadTextProcessor processor(DownloadTaskInfo{});
    ASSERT_TRUE(processor.Begin(100));
    ASSERT_TRUE(processor.Write("cut off in the mid", 18));
    ASSERT_TRUE(processor.Finish());
    EXPECT_EQ(Received(processor, "complete body"), "complete body");
}

TEST(DownloadTextProcessorTest, ABodyPastItsLimitIsRefusedAndTheNextAttemptStartsAfresh) {
    DownloadTextProcessor processor(DownloadTaskInfo{});
    processor.SetSizeLimit(10);
    ASSERT_TRUE(processor.Begin(0));
    EXPECT_TRUE(processor.Write("012345", 6));
    EXPECT_TRUE(processor.Write("6789", 4));
    EXPECT_FALSE(processor.Write("x", 1));
    EXPECT_EQ(Received(processor, "0123456789"), "0123456789");
}

}  // namespace
