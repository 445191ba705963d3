#include "resources/InstalledFileCheck.h"

#include "base/Md5.h"
#include "platform/FileSystem.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <filesystem>

namespace {

TEST(InstalledFileCheckTest, IntactDamagedTruncatedAndMissingFilesOnOneAndTwoThreads) {
    testsupport::TempFolder folder;
    std::string content(300000, 'q');
    content[1234] = 'z';
    std::string tag = Md5HexOfText(content);
    for (char& c : tag)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));  // the config's case
    std::string damaged = content;
    damaged[299999] = 'x';
    ASSERT_TRUE(platform::WriteWholeFile(folder.path() + "intact", content));
    ASSERT_TRUE(platform::WriteWholeFile(folder.path() + "damaged", damaged));
    ASSERT_TRUE(platform::WriteWholeFile(folder.path() + "truncated", content.substr(0, 1000)));
    ASSERT_TRUE(platform::WriteWholeFile(folder.path() + "intact2", content));
    std::vector<FileToCheck> files = {{folder.path() + "intact", tag},
                                      {folder.path() + "damaged", tag},
                                      {folder.path() + "truncated", tag},
                                      {folder.path() + "missing", tag},
                                      {folder.path() + "intact2", tag}};
    for (unsigned threads : {1u, 2u}) {
        std::vector<std::size_t> reported;
        FileCheckCounts last;
        int ticks = 0;
        std::vector<FileVerdict> verdicts =
            CheckInstalledFiles(files, threads, std::chrono::milliseconds(5),
                                [&](const FileCheckCounts& counts, const std::vector<std::size_t>& newlyDamaged) {
                                    reported.insert(reported.end(), newlyDamaged.begin(), newlyDamaged.end());
                                    last = counts;
                                    ++ticks;
                                });
        constexpr FileVerdict I = FileVerdict::Intact, D = FileVerdict::Damaged;
        EXPECT_EQ(verdicts, (std::vector<FileVerdict>{I, D, D, D, I})) << threads;
        std::sort(reported.begin(), reported.end());
        EXPECT_EQ(reported, (std::vector<std::size_t>{1, 2, 3})) << threads;
        EXPECT_GE(ticks, 1);
        EXPECT_EQ(last.fileCount, 5);
        EXPECT_EQ(last.filesChecked, 5);
        EXPECT_EQ(last.damaged, 3);
        EXPECT_EQ(last.totalBytes, 3 * 300000 + 1000);
        EXPECT_EQ(last.bytesHashed, last.totalBytes);
    }
}

TEST(InstalledFileCheckTest, AStopEndsTheThreadsWithinAReadStepAndLeavesWhatTheyHadNotFinishedUnchecked) {
    testsupport::TempFolder folder;
    // A sparse file of 8 GiB: reading it all would take the threads many seconds.
    ASSERT_TRUE(platform::WriteWholeFile(folder.path() + "huge", ""));
    std::filesystem::resize_file(folder.path() + "huge", std::uintmax_t{8} << 30);
    const std::string tag(32, '0');
    std::vector<FileToCheck> files = {{folder.path() + "missing", tag}, {folder.path() + "huge", tag}};
    for (unsigned threads : {1u, 2u}) {
        std::atomic<bool> stop{false};
        FileCheckCounts last;
        std::vector<FileVerdict> verdicts = CheckInstalledFiles(
            files, threads, std::chrono::milliseconds(5),
            [&](const FileCheckCounts& counts, const std::vector<std::size_t>&) {
                last = counts;
                if (counts.bytesHashed > 0)
                    stop = true;
            },
            &stop);
        EXPECT_TRUE(stop.load()) << "the check ended before it was stopped";
        EXPECT_EQ(verdicts, (std::vector<FileVerdict>{FileVerdict::Damaged, FileVerdict::Unchecked})) << threads;
        EXPECT_LT(last.bytesHashed, last.totalBytes / 4) << threads;
        EXPECT_EQ(last.damaged, 1);
    }
}

}  // namespace
