#include "download/CDNResourceDataProcessor.h"
#include "support/CdnPublication.h"
#include "support/GzipData.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using testsupport::GzipBytes;
using testsupport::Md5LowerHex;
using testsupport::PathExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

using Placement = CDNResourceDataProcessor::Placement;

class CDNResourceDataProcessorTest : public ::testing::Test {
protected:
    std::unique_ptr<CDNResourceDataProcessor> Make(const std::string& name,
                                                   const std::string& md5 = "",
                                                   bool withTarget = true) {
        DownloadTaskInfo task;
        task.name = name;
        task.md5 = md5;
        auto processor = std::make_unique<CDNResourceDataProcessor>(task);
        processor->SetStagingFolder(staging);
        if (withTarget)
            processor->SetBaseDir(folder.path() + "game/");
        processor->SetProgressCallback([this](std::int64_t growth) { progress.push_back(growth); });
        processor->SetPlacementCallback([this](const CDNResourceDataProcessor& p, Placement step) {
            told.push_back({step, p.task().name, !p.stagedPath().empty() && PathExists(p.stagedPath()),
                            PathExists(target) ? ReadFileBytes(target) : "<none>"});
        });
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

    std::size_t StagedFiles() const {
        std::error_code error;
        if (!std::filesystem::exists(staging, error))
            return 0;
        // Files are staged in a folder per worker thread.
        return static_cast<std::size_t>(std::count_if(
            std::filesystem::recursive_directory_iterator(staging), std::filesystem::recursive_directory_iterator(),
            [](const std::filesystem::directory_entry& entry) { return entry.is_regular_file(); }));
    }

    testsupport::TempFolder folder;
    std::string staging = folder.path() + ".staging/";
    std::string target = folder.path() + "game/maps/harbor/dock.dat";
    std::vector<std::int64_t> progress;
    // What the placement callback was told, with the staged file and the target at that moment.
    struct Told {
        Placement step;
        std::string name;
        bool stagedThere;
        std::string targetBytes;
    };
    std::vector<Told> told;
    std::vector<Placement> Steps() const {
        std::vector<Placement> steps;
        for (const Told& t : told)
            steps.push_back(t.step);
        return steps;
    }
};

TEST_F(CDNResourceDataProcessorTest, DownloadIsUnpackedThroughTheStagingFolderIntoTheTarget) {
    const std::string data = testsupport::RandomBytes(50000, 11);
    auto processor = Make("maps\\harbor\\dock.dat", Md5LowerHex(data));
    ASSERT_TRUE(processor->Begin(0));
    EXPECT_EQ(StagedFiles(), 0u) << "nothing is created before bytes come out";
    const std::string packed = GzipBytes(data);
    ASSERT_TRUE(WriteAll(*processor, packed.substr(0, packed.size() / 2)));
    EXPECT_FALSE(PathExists(target)) << "the target waits for the whole stream";
    EXPECT_EQ(StagedFiles(), 1u);
    ASSERT_TRUE(WriteAll(*processor, packed.substr(packed.size() / 2)));
    ASSERT_TRUE(processor->Finish());
    EXPECT_TRUE(processor->arrived());
    // Told before the rename (an owner writes the file down then) and after it.
    EXPECT_EQ(Steps(), (std::vector<Placement>{Placement::Placing, Placement::Placed}));
    EXPECT_EQ(told[0].name, "maps\\harbor\\dock.dat");
    EXPECT_TRUE(told[0].stagedThere);
    EXPECT_EQ(told[0].targetBytes, "<none>");
    EXPECT_EQ(told[1].targetBytes, data);
    EXPECT_EQ(ReadFileBytes(target), data);
    EXPECT_EQ(StagedFiles(), 0u);

    std::string content;
    ASSERT_TRUE(processor->GetContent(content));
    EXPECT_EQ(content, data);
}

TEST_F(CDNResourceDataProcessorTest, DataThatIsNotGzipIsCopiedUnchanged) {
    for (const std::string& plain : {std::string("stored without compression"), std::string("x")}) {
        auto processor = Make("plain.txt");
        ASSERT_TRUE(processor->Begin(0));
        ASSERT_TRUE(WriteAll(*processor, plain));
        ASSERT_TRUE(processor->Finish());
        EXPECT_EQ(ReadFileBytes(folder.path() + "game/plain.txt"), plain);
    }
}

TEST_F(CDNResourceDataProcessorTest, ARangeArrivesTheMomentItsLastByteIsWritten) {
    const std::string data = "#!/bin/sh\necho ranged\n";
    const std::string packed = GzipBytes(data);
    DownloadTaskInfo task;
    task.name = "bin\\run.sh";
    task.offset = 100;
    task.length = static_cast<std::uint32_t>(packed.size());
    CDNResourceDataProcessor processor(task);
    processor.SetStagingFolder(staging);
    processor.SetBaseDir(folder.path() + "game/");
    ASSERT_TRUE(processor.Begin(0));
    ASSERT_TRUE(WriteAll(processor, packed));
    EXPECT_TRUE(processor.arrived()) << "before the segment's Finish";
    EXPECT_EQ(ReadFileBytes(folder.path() + "game/bin/run.sh"), data);
    EXPECT_FALSE(processor.Write("x", 1)) << "nothing past the range";
    EXPECT_TRUE(processor.Finish());
    EXPECT_EQ(
        std::filesystem::status(folder.path() + "game/bin/run.sh").permissions() & std::filesystem::perms::owner_exec,
        std::filesystem::perms::owner_exec)
        << "a script is created runnable";
}

TEST_F(CDNResourceDataProcessorTest, TheTagDecidesWhetherTheFileArrives) {
    const std::string data = testsupport::RandomBytes(3000, 5);
    std::string upper = Md5LowerHex(data);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const struct {
        const char* label;
        std::string tag;
        bool arrives;
    } cases[] = {
        {"its MD5", Md5LowerHex(data), true},
        {"its MD5 in upper case", upper, true},
        {"another MD5", Md5LowerHex("other bytes"), false},
        {"not 32 hex digits: not checked", "v7-build-12", true},
        {"31 hex digits: not checked", Md5LowerHex(data).substr(1), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        WriteFileBytes(target, "old version");
        told.clear();
        auto processor = Make("maps\\harbor\\dock.dat", c.tag);
        ASSERT_TRUE(processor->Begin(0));
        testing::internal::CaptureStdout();
        ASSERT_TRUE(WriteAll(*processor, GzipBytes(data)));
        // A mismatch fails the file, not the attempt: the other files of the segment go on.
        EXPECT_TRUE(processor->Finish());
        std::string trace = testing::internal::GetCapturedStdout();
        EXPECT_EQ(processor->arrived(), c.arrives);
        EXPECT_EQ(processor->mismatched(), !c.arrives);
        EXPECT_EQ(ReadFileBytes(target), c.arrives ? data : "old version");
        // A mismatch is never about to be placed.
        const std::vector<Placement> placed = {Placement::Placing, Placement::Placed};
        EXPECT_EQ(Steps(), c.arrives ? placed : std::vector<Placement>());
        EXPECT_EQ(StagedFiles(), 0u);
        if (!c.arrives) {
            EXPECT_NE(trace.find("maps\\harbor\\dock.dat"), std::string::npos) << trace;
            EXPECT_NE(trace.find(c.tag), std::string::npos) << trace;
            EXPECT_NE(trace.find(upper), std::string::npos) << trace;
        }
    }
}

TEST_F(CDNResourceDataProcessorTest, ALauncherFileStaysStagedUntilItsOwnerIsDone) {
    const std::string data = "launcher bytes";
    std::string staged;
    {
        auto processor = Make("bin\\Tolmqrvo", Md5LowerHex(data), false);
        ASSERT_TRUE(processor->Begin(0));
        ASSERT_TRUE(WriteAll(*processor, GzipBytes(data)));
        ASSERT_TRUE(processor->Finish());
        ASSERT_TRUE(processor->arrived());
        staged = processor->stagedPath();
        EXPECT_EQ(staged.rfind(staging, 0), 0u) << staged;
        EXPECT_EQ(ReadFileBytes(staged), data);
        EXPECT_FALSE(PathExists(folder.path() + "game/bin/Tolmqrvo"));
        EXPECT_EQ(Steps(), std::vector<Placement>{Placement::Placed});
    }
    EXPECT_FALSE(PathExists(staged));
}

TEST_F(CDNResourceDataProcessorTest, ProgressCountsEveryByteOnceAcrossAttempts) {
    const std::string packed = GzipBytes(testsupport::RandomBytes(1000, 12));
    ASSERT_GT(packed.size(), 1000u);
    auto processor = Make("maps\\harbor\\dock.dat");
    ASSERT_TRUE(processor->Begin(0));
    ASSERT_TRUE(WriteAll(*processor, packed.substr(0, 600)));
    EXPECT_FALSE(processor->Finish());  // a cut-off stream does not arrive
    ASSERT_TRUE(processor->Begin(0));
    ASSERT_TRUE(WriteAll(*processor, packed.substr(0, 1000)));
    std::int64_t total = 0;
    for (std::int64_t growth : progress)
        total += growth;
    EXPECT_EQ(total, 1000);
    EXPECT_EQ(progress.front(), 600);  // the first attempt: chunks of 1,024 or less, here one of 600
    EXPECT_EQ(progress.back(), 400);   // the second attempt reports only beyond 600
}

TEST_F(CDNResourceDataProcessorTest, ACutOrDamagedStreamLeavesTheOldTargetAndNoStagedFile) {
    const std::string packed = GzipBytes(testsupport::RandomBytes(20000, 14));
    std::string flipped = packed;
    flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x5A);
    const struct {
        const char* label;
        std::string body;
    } cases[] = {
        {"cut mid-stream", packed.substr(0, packed.size() / 2)},
        {"cut before the trailer", packed.substr(0, packed.size() - 4)},
        {"a byte flipped", flipped},
        {"garbage after the member", packed + "garbage"},
        {"one stray byte after the member", packed + "x"},
        {"nothing", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        WriteFileBytes(target, "old version");
        auto processor = Make("maps\\harbor\\dock.dat");
        ASSERT_TRUE(processor->Begin(0));
        EXPECT_FALSE(processor->Begin(0)) << "a second Begin before Finish is refused";
        WriteAll(*processor, c.body);
        EXPECT_FALSE(processor->Finish());
        EXPECT_FALSE(processor->arrived());
        EXPECT_EQ(ReadFileBytes(target), "old version");
        EXPECT_EQ(StagedFiles(), 0u);
    }
    auto never = Make("never.dat");
    EXPECT_FALSE(never->Finish());
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

    // Without a staging folder there is nowhere to write.
    DownloadTaskInfo task;
    task.name = "file.dat";
    CDNResourceDataProcessor bare(task);
    EXPECT_FALSE(bare.Begin(0));
}

TEST_F(CDNResourceDataProcessorTest, ATargetThatCannotBePlacedFailsTheAttempt) {
    WriteFileBytes(folder.path() + "game/maps", "a regular file where a folder must be");
    auto processor = Make("maps\\harbor\\dock.dat");
    ASSERT_TRUE(processor->Begin(0));
    WriteAll(*processor, GzipBytes("data"));
    EXPECT_FALSE(processor->Finish());
    EXPECT_EQ(StagedFiles(), 0u);
    // Taken back while the staged file, the proof that nothing was placed, is still there.
    EXPECT_EQ(Steps(), (std::vector<Placement>{Placement::Placing, Placement::NotPlaced}));
    EXPECT_TRUE(told.back().stagedThere);
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
    EXPECT_EQ(StagedFiles(), 0u);
}

}  // namespace
