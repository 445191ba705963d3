#include "download/CDNResourceDataProcessor.h"
#include "support/GzipData.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

using testsupport::GzipBytes;
using testsupport::PathExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

class CDNResourceDataProcessorTest : public ::testing::Test {
protected:
    std::unique_ptr<CDNResourceDataProcessor> Make(const std::string& name) {
        DownloadTaskInfo task;
        task.name = name;
        auto processor = std::make_unique<CDNResourceDataProcessor>(task);
        processor->SetBaseDir(folder.path() + "game/");
        processor->SetProgressCallback([this](std::int64_t growth) { progress.push_back(growth); });
        return processor;
    }

    static bool WriteAll(CDNResourceDataProcessor& processor, const std::string& bytes) {
        for (std::size_t at = 0; at < bytes.size(); at += 1024) {
            auto piece = static_cast<std::uint32_t>(std::min<std::size_t>(1024, bytes.size() - at));
            if (!processor.Write(bytes.data() + at, piece))
                return false;
        }
        return true;
    }

    testsupport::TempFolder folder;
    std::string target = folder.path() + "game/maps/harbor/dock.dat";
    std::vector<std::int64_t> progress;
};

TEST_F(CDNResourceDataProcessorTest, DownloadIsUnpackedIntoTheTargetAndTheTemporaryFileGoes) {
    const std::string data = testsupport::RandomBytes(50000, 11);
    auto processor = Make("maps\\harbor\\dock.dat");
    ASSERT_TRUE(processor->Begin(0));
    EXPECT_TRUE(PathExists(target + ".t"));
    ASSERT_TRUE(WriteAll(*processor, GzipBytes(data)));
    ASSERT_TRUE(processor->Finish());
    EXPECT_EQ(ReadFileBytes(target), data);
    EXPECT_FALSE(PathExists(target + ".t"));

    std::string content;
    ASSERT_TRUE(processor->GetContent(content));
    EXPECT_EQ(content, data);
}

TEST_F(CDNResourceDataProcessorTest, DataThatIsNotGzipIsCopiedUnchanged) {
    auto processor = Make("plain.txt");
    ASSERT_TRUE(processor->Begin(0));
    ASSERT_TRUE(WriteAll(*processor, "stored without compression"));
    ASSERT_TRUE(processor->Finish());
    EXPECT_EQ(ReadFileBytes(folder.path() + "game/plain.txt"), "stored without compression");
}

TEST_F(CDNResourceDataProcessorTest, ProgressCountsEveryByteOnceAcrossAttempts) {
    const std::string packed = GzipBytes(testsupport::RandomBytes(1000, 12));
    ASSERT_GT(packed.size(), 1000u);
    auto processor = Make("maps\\harbor\\dock.dat");
    ASSERT_TRUE(processor->Begin(0));
    ASSERT_TRUE(WriteAll(*processor, packed.substr(0, 600)));
    EXPECT_FALSE(processor->Finish());  // a cut-off stream does not unpack
    ASSERT_TRUE(processor->Begin(0));
    ASSERT_TRUE(WriteAll(*processor, packed.substr(0, 1000)));
    std::int64_t total = 0;
    for (std::int64_t growth : progress)
        total += growth;
    EXPECT_EQ(total, 1000);
    EXPECT_EQ(progress.front(), 600);  // the first attempt: chunks of 1,024 or less, here one of 600
    EXPECT_EQ(progress.back(), 400);   // the second attempt reports only beyond 600
}

TEST_F(CDNResourceDataProcessorTest, BeginRemovesTheOldVersionAndRefusesWhileAFileIsOpen) {
    WriteFileBytes(target, "old version");
    WriteFileBytes(target + ".t", "old partial download");
    auto processor = Make("maps\\harbor\\dock.dat");
    ASSERT_TRUE(processor->Begin(0));
    EXPECT_FALSE(PathExists(target));
    EXPECT_EQ(ReadFileBytes(target + ".t"), "");
    EXPECT_FALSE(processor->Begin(0));
}

TEST_F(CDNResourceDataProcessorTest, FinishFailsWithoutBeginOrData) {
    auto never = Make("never.dat");
    EXPECT_FALSE(never->Finish());

    // An empty download fails and keeps its empty temporary file.
    auto empty = Make("empty.dat");
    ASSERT_TRUE(empty->Begin(0));
    EXPECT_FALSE(empty->Finish());
    EXPECT_TRUE(PathExists(folder.path() + "game/empty.dat.t"));
    EXPECT_FALSE(PathExists(folder.path() + "game/empty.dat"));
}

TEST_F(CDNResourceDataProcessorTest, NamesThatGiveNoSafeTargetFailBegin) {
    const char* names[] = {"",          "..\\outside.dat",   "maps\\..\\..\\outside.dat", "\\absolute.dat",
                           "C:\\x.dat", "maps\\\\double.dat"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        auto processor = Make(name);
        EXPECT_FALSE(processor->Begin(0));
        EXPECT_FALSE(processor->Finish());
    }
    EXPECT_FALSE(PathExists(folder.path() + "outside.dat"));

    // Without a base folder a bare name has no folder part.
    DownloadTaskInfo task;
    task.name = "file.dat";
    CDNResourceDataProcessor bare(task);
    EXPECT_FALSE(bare.Begin(0));
}

TEST_F(CDNResourceDataProcessorTest, UnwritableFolderFailsBegin) {
    WriteFileBytes(folder.path() + "game/maps", "a regular file where a folder must be");
    auto processor = Make("maps\\harbor\\dock.dat");
    EXPECT_FALSE(processor->Begin(0));
    EXPECT_FALSE(processor->Finish());
}

TEST_F(CDNResourceDataProcessorTest, FullDiskFailsTheAttemptAndLeavesNoTarget) {
    const std::string packed = testsupport::RandomBytes(2 * 1024 * 1024, 13);
    auto processor = Make("maps\\harbor\\dock.dat");
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 512 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    bool begun = processor->Begin(0);
    bool written = begun && WriteAll(*processor, packed);
    bool finished = processor->Finish();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_TRUE(begun);
    EXPECT_FALSE(written && finished);
    EXPECT_FALSE(PathExists(target));
}

}  // namespace
