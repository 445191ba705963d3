#include "download/DownloaderTaskDispatcher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kMiB = 1024 * 1024;

DownloadTaskInfo Task(const std::string& url,
                      std::int64_t offset,
                      std::uint32_t length,
                      const std::string& name = "",
                      const std::string& postData = "") {
    DownloadTaskInfo task;
    task.url = url;
    task.name = name.empty() ? std::to_string(offset) : name;
    task.offset = offset;
    task.length = length;
    task.postData = postData;
    return task;
}

struct Shape {
    std::string url;
    std::int64_t offset;
    std::uint32_t length;
    std::size_t tasks;
    bool operator==(const Shape&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shape& shape) {
    return out << "{" << shape.url << " " << shape.offset << "+" << shape.length << " x" << shape.tasks << "}";
}

std::vector<Shape> Merge(std::vector<DownloadTaskInfo> tasks) {
    std::vector<Shape> shapes;
    for (const SegmentDownloadTaskInfo& segment : DownloaderTaskDispatcher::MergeIntoSegments(tasks)) {
        shapes.push_back({segment.url, segment.offset, segment.length, segment.tasks.size()});
        // The invariant every built segment keeps.
        std::int64_t next = segment.offset;
        std::uint64_t sum = 0;
        for (const DownloadTaskInfo& task : segment.tasks) {
            EXPECT_EQ(task.url, segment.url);
            EXPECT_EQ(task.postData, segment.postData);
            EXPECT_EQ(task.offset, next);
            next += task.length;
            sum += task.length;
        }
        EXPECT_EQ(sum, segment.length);
    }
    return shapes;
}

TEST(DownloaderTaskDispatcherMergeTest, NeighboursInOnePackageBecomeOneRequest) {
    EXPECT_EQ(Merge({Task("a", 0, 100), Task("a", 100, 50), Task("a", 300, 10)}),
              (std::vector<Shape>{{"a", 0, 150, 2}, {"a", 300, 10, 1}}));
    // Given in descending order, merged the same way.
    EXPECT_EQ(Merge({Task("a", 300, 10), Task("a", 100, 50), Task("a", 0, 100)}),
              (std::vector<Shape>{{"a", 0, 150, 2}, {"a", 300, 10, 1}}));
}

TEST(DownloaderTaskDispatcherMergeTest, SegmentsGrowWhileBelowTenMebibytes) {
    std::vector<DownloadTaskInfo> run;
    for (int i = 0; i < 5; ++i)
        run.push_back(Task("a", static_cast<std::int64_t>(i) * 4 * kMiB, 4 * kMiB));
    // The third task joins at 8 MiB; the fourth starts a new segment.
    EXPECT_EQ(Merge(run), (std::vector<Shape>{{"a", 0, 12 * kMiB, 3}, {"a", 12 * kMiB, 8 * kMiB, 2}}));

    // A task over the limit stands alone, and the one right after it starts anew.
    EXPECT_EQ(Merge({Task("a", 0, 11 * kMiB), Task("a", 11 * kMiB, 10)}),
              (std::vector<Shape>{{"a", 0, 11 * kMiB, 1}, {"a", 11 * kMiB, 10, 1}}));
    EXPECT_EQ(Merge({Task("a", 0, DownloaderTaskDispatcher::SegmentSizeLimit - 1), Task("a", 0xA00000 - 1, 1),
                     Task("a", 0xA00000, 1)}),
              (std::vector<Shape>{{"a", 0, 0xA00000, 2}, {"a", 0xA00000, 1, 1}}));
}

TEST(DownloaderTaskDispatcherMergeTest, DifferentUrlsOrBodiesAreNeverMerged) {
    EXPECT_EQ(Merge({Task("b", 0, 10), Task("a", 10, 10), Task("a", 0, 10), Task("b", 10, 10)}),
              (std::vector<Shape>{{"a", 0, 20, 2}, {"b", 0, 20, 2}}));
    EXPECT_EQ(Merge({Task("a", 0, 10, "x", "one"), Task("a", 10, 10, "y", "two")}).size(), 2u);
    // Keys are ordered by UTF-16 code units: U+FF41 sorts after a supplementary character,
    // although its UTF-8 bytes come first.
    EXPECT_EQ(Merge({Task("\xEF\xBD\x81", 0, 1), Task("\xF0\x9F\x98\x80", 0, 1)}).front().url, "\xF0\x9F\x98\x80");
}

TEST(DownloaderTaskDispatcherMergeTest, AbsurdRangesNeverFormAWrongRequest) {
    // A whole-body task never joins a ranged one.
    EXPECT_EQ(Merge({Task("a", -5, 5), Task("a", 0, 10)}).size(), 2u);
    // Whole-body tasks of one URL share one request.
    EXPECT_EQ(Merge({Task("a", -1, 0, "x"), Task("a", -1, 0, "y")}), (std::vector<Shape>{{"a", -1, 0, 2}}));
    // A length that would wrap around 32 bits ends the segment.
    EXPECT_EQ(Merge({Task("a", 0, 100), Task("a", 100, 0xFFFFFFF0u)}).size(), 2u);
    // Offsets near the ends of the 64-bit range.
    const std::int64_t top = INT64_MAX - 10;
    EXPECT_EQ(Merge({Task("a", top, 5), Task("a", top + 5, 5), Task("a", INT64_MIN, 1)}).size(), 2u);
}

}  // namespace
