#include "download/SegmentDownloadDataProcessor.h"
#include "support/RecordingProcessor.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using testsupport::RecordingProcessor;

namespace {

DownloadTaskInfo Task(std::int64_t offset, std::uint32_t length) {
    DownloadTaskInfo task;
    task.url = "http://cdn.example/kx_game.kxpkg";
    task.offset = offset;
    task.length = length;
    return task;
}

SegmentDownloadTaskInfo Segment(std::int64_t offset, std::uint32_t length) {
    SegmentDownloadTaskInfo segment;
    segment.url = "http://cdn.example/kx_game.kxpkg";
    segment.offset = offset;
    segment.length = length;
    return segment;
}

TEST(SegmentDownloadDataProcessorTest, OneChunkIsSplitOverTheRanges) {
    RecordingProcessor first(Task(1000, 10)), second(Task(1010, 5));
    SegmentDownloadDataProcessor segment(Segment(1000, 15), {&first, &second});
    ASSERT_TRUE(segment.Begin(15));
    EXPECT_TRUE(segment.Write("0123456789abcde", 15));
    EXPECT_TRUE(segment.Finish());
    EXPECT_EQ(first.Body(), "0123456789");
    EXPECT_EQ(second.Body(), "abcde");
}

TEST(SegmentDownloadDataProcessorTest, ChunksOfAnySizeReachTheRightProcessor) {
    std::string body;
    for (int i = 0; i < 300; ++i)
        body.push_back(static_cast<char>('a' + i % 26));
    const std::uint32_t lengths[] = {1, 120, 7, 0, 172};
    for (std::uint32_t chunk : {1u, 3u, 64u, 300u}) {
        SCOPED_TRACE(chunk);
        std::vector<std::unique_ptr<RecordingProcessor>> owned;
        std::vector<DownloadDataProcessor*> processors;
        std::int64_t offset = 5000;
        for (std::uint32_t length : lengths) {
            owned.push_back(std::make_unique<RecordingProcessor>(Task(offset, length)));
            processors.push_back(owned.back().get());
            offset += length;
        }
        SegmentDownloadDataProcessor segment(Segment(5000, 300), processors);
        ASSERT_TRUE(segment.Begin(300));
        for (std::size_t at = 0; at < body.size(); at += chunk)
            ASSERT_TRUE(segment.Write(body.data() + at,
                                      static_cast<std::uint32_t>(std::min<std::size_t>(chunk, body.size() - at))));
        std::size_t start = 0;
        for (std::size_t i = 0; i < owned.size(); ++i) {
            EXPECT_EQ(owned[i]->Body(), body.substr(start, lengths[i]));
            start += lengths[i];
        }
    }
}

TEST(SegmentDownloadDataProcessorTest, BytesOutsideEveryRangeFailTheWrite) {
    // Longer than the segment.
    RecordingProcessor only(Task(0, 4));
    SegmentDownloadDataProcessor longer(Segment(0, 4), {&only});
    ASSERT_TRUE(longer.Begin(6));
    EXPECT_FALSE(longer.Write("abcdef", 6));
    EXPECT_EQ(only.Body(), "abcd");

    // A gap left by a task without a processor: routing ends at the gap.
    RecordingProcessor before(Task(0, 2)), after(Task(4, 2));
    SegmentDownloadDataProcessor gapped(Segment(0, 6), {&before, &after});
    ASSERT_TRUE(gapped.Begin(6));
    EXPECT_FALSE(gapped.Write("ab--cd", 6));
    EXPECT_EQ(before.Body(), "ab");
    EXPECT_EQ(after.Body(), "");
}

TEST(SegmentDownloadDataProcessorTest, NewAttemptStartsRoutingAgainFromTheSegmentStart) {
    RecordingProcessor first(Task(10, 3)), second(Task(13, 3));
    SegmentDownloadDataProcessor segment(Segment(10, 6), {&first, &second});
    ASSERT_TRUE(segment.Begin(6));
    ASSERT_TRUE(segment.Write("abcd", 4));
    segment.Finish();
    ASSERT_TRUE(segment.Begin(6));
    ASSERT_TRUE(segment.Write("ABCDEF", 6));
    EXPECT_EQ(first.Body(), "ABC");
    EXPECT_EQ(second.Body(), "DEF");
}

TEST(SegmentDownloadDataProcessorTest, WholeBodySegmentGivesEveryProcessorEveryByte) {
    RecordingProcessor first(Task(-1, 0)), second(Task(-1, 0));
    SegmentDownloadDataProcessor segment(Segment(-1, 0), {&first, &second});
    ASSERT_TRUE(segment.Begin(0));
    second.acceptWrite = false;
    EXPECT_FALSE(segment.Write("body", 4));
    EXPECT_EQ(first.Body(), "body");
    EXPECT_EQ(second.Body(), "body");
}

TEST(SegmentDownloadDataProcessorTest, BeginAndFinishReachEveryProcessorDespiteARefusal) {
    RecordingProcessor first(Task(0, 1)), second(Task(1, 1)), third(Task(2, 1));
    SegmentDownloadDataProcessor segment(Segment(0, 3), {&first, &second, &third});
    first.acceptBegin = false;
    EXPECT_FALSE(segment.Begin(3));
    EXPECT_EQ(first.Calls() + second.Calls() + third.Calls(), "BBB");

    // The third still ends its attempt, so that it can begin the next one.
    second.acceptFinish = false;
    EXPECT_FALSE(segment.Finish());
    EXPECT_EQ(first.Calls(), "BF");
    EXPECT_EQ(second.Calls(), "BF");
    EXPECT_EQ(third.Calls(), "BF");

    std::string content = "unchanged";
    EXPECT_TRUE(segment.GetContent(content));
    EXPECT_EQ(content, "unchanged");
}

}  // namespace
