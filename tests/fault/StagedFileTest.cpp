// What lands on disk is what the publisher published, or nothing: published names beside their
// look-alikes (the names temporary files once took), a file whose bytes differ from its tag, and a
// transfer cut inside a file's stream, each against tolm-update and the scripted server.
#include "FaultChild.h"
#include "FaultVersions.h"
#include "InstallCheck.h"
#include "UpdaterCommands.h"

#include "support/CdnPublication.h"
#include "support/GzipData.h"
#include "support/TestFolders.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace faults;
using testsupport::RandomBytes;
using testsupport::ReadFileBytes;
using testsupport::Route;
using testsupport::TestHttpServer;

TEST(StagedFileTest, NamesBesideTheirLookAlikesInstallAndUpdate) {
    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    for (const char* lookAlike : {"maps\\x.dat.t", "maps\\x.dat.new", "maps\\x.dat.tmp", "maps\\x.dat.part",
                                  "maps\\.x.dat", "maps\\x.dat.journal-new"}) {
        SCOPED_TRACE(lookAlike);
        const std::string root = work.path() + "root/";
        std::filesystem::remove_all(root);
        PublishedVersion v1("w1", {{"maps\\x.dat", RandomBytes(30000, 1), "w1"},
                                   {lookAlike, RandomBytes(20000, 2), "w1"},
                                   {"readme.txt", "first", "w1"}});
        PublishedVersion v2("w2", {{"maps\\x.dat", RandomBytes(31000, 3), "w2"},
                                   {lookAlike, RandomBytes(20000, 2), "w1"},
                                   {"readme.txt", "second", "w2"}});
        for (const PublishedVersion* version : {&v1, &v2}) {
            SCOPED_TRACE(version->label());
            TestHttpServer server;
            version->ServeOn(server);
            ChildOutcome outcome = RunToEnd(UpdateCommand(root, server.Url(version->ConfigPath())));
            EXPECT_EQ(outcome.exitCode, kUpdateCurrent) << outcome.output;
            ExpectInstalled(root, *version);
        }
    }
}

class StagedFileFaultTest : public ::testing::Test {
protected:
    void SetUp() override { v1.Install(root); }

    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    const std::string root = work.path() + "root/";
    PublishedVersion v1 = GameV1();
    PublishedVersion v2 = GameV2();
    const std::string victim = "data\\ships.dat";
};

TEST_F(StagedFileFaultTest, AFileWhoseBytesDifferFromItsTagFailsWhileTheOthersArrive) {
    std::string config = v2.config();
    const std::string wrongTag = testsupport::Md5LowerHex("not the published bytes");
    std::size_t at = config.find(v2.Md5Of(victim));
    ASSERT_NE(at, std::string::npos);
    config.replace(at, wrongTag.size(), wrongTag);
    TestHttpServer server;
    v2.ServeOn(server);
    server.Serve(v2.ConfigPath(), Route(config));
    std::vector<std::string> command = UpdateCommand(root, server.Url(v2.ConfigPath()));
    command.push_back("--trace");
    ChildOutcome outcome = RunToEnd(command);

    EXPECT_EQ(outcome.exitCode, kUpdateDownloadFailed) << outcome.output;
    // The trace names the file and both digests.
    std::string actual = v2.Md5Of(victim);
    for (char& c : actual)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_NE(outcome.output.find(victim + "\t配置:" + wrongTag + "\t实际:" + actual), std::string::npos)
        << outcome.output;
    auto recorded = RecordedVersions(root);
    EXPECT_EQ(recorded[victim], v1.Md5Of(victim));
    EXPECT_EQ(ReadFileBytes(NativePath(root + "game/", victim)), v1.Find(victim)->content);
    for (const VersionFile& file : v2.files()) {
        if (file.name == victim)
            continue;
        EXPECT_EQ(recorded[file.name], v2.Md5Of(file.name)) << file.name;
        EXPECT_EQ(ReadFileBytes(NativePath(root + "game/", file.name)), file.content) << file.name;
    }
    ExpectNothingWrongRecorded(root, v2, {&v1});
}

TEST_F(StagedFileFaultTest, ATransferCutInsideAStreamLeavesTheTargetAndItsRecord) {
    TestHttpServer server;
    v2.ServeOn(server);
    Route cut(v2.packages().at("v2"));
    // Every attempt of the victim's segment ends halfway through its stream.
    cut.cutAfter = static_cast<std::int64_t>(v2.OffsetOf(victim) + v2.LengthOf(victim) / 2 - v2.OffsetOf("readme.txt") -
                                             v2.LengthOf("readme.txt"));
    cut.cutTimes = 1000;
    server.Serve(PublishedVersion::PackagePath("v2"), cut);
    ChildOutcome outcome = RunToEnd(UpdateCommand(root, server.Url(v2.ConfigPath())));

    EXPECT_EQ(outcome.exitCode, kUpdateDownloadFailed) << outcome.output;
    EXPECT_EQ(ReadFileBytes(NativePath(root + "game/", victim)), v1.Find(victim)->content);
    EXPECT_EQ(RecordedVersions(root)[victim], v1.Md5Of(victim));
    ExpectNothingWrongRecorded(root, v2, {&v1});
    EXPECT_FALSE(std::filesystem::exists(root + ".tolm-staging")) << "nothing staged is left";
}

}  // namespace
