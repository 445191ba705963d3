// CDN configs that try to reach outside the game root or to exhaust the updater: names with "..",
// absolute paths, drive letters, UNC paths, a NUL, 4 KiB names, an empty name, and a million
// lines. Nothing outside the game root may be created or changed (a snapshot of the folder that
// holds the root proves it), and a huge config costs linear time and bounded memory.
#include "FaultChild.h"
#include "FaultVersions.h"
#include "InstallCheck.h"
#include "UpdaterCommands.h"

#include "download/DownloadDataProcessor.h"
#include "download/HttpTransfer.h"
#include "resources/CCDNResourceDownloader.h"

#include "support/CdnPublication.h"
#include "support/NginxServer.h"
#include "support/TestFolders.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace {

using namespace faults;
using testsupport::PathExists;
using testsupport::Route;
using testsupport::TestHttpServer;

class HostileConfigTest : public ::testing::Test {
protected:
    // Everything beside the game root, the root itself left out.
    std::map<std::string, std::string> Outside() const {
        std::map<std::string, std::string> outside;
        for (const auto& [path, print] : Fingerprints(work.path())) {
            if (path.rfind("root/", 0) != 0)
                outside[path] = print;
        }
        return outside;
    }

    // A config line for `name` that points at real bytes: were the name accepted, a file with
    // the content of readme.txt would be written wherever the name leads.
    std::string LineFor(const std::string& name) const {
        return name + "=" + v2.Md5Of("readme.txt") + "=v2=" + std::to_string(v2.OffsetOf("readme.txt")) + "=" +
               std::to_string(v2.LengthOf("readme.txt")) + "=game\r\n";
    }

    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    const std::string root = work.path() + "root/";
    PublishedVersion v1 = GameV1();
    PublishedVersion v2 = GameV2();
};

TEST_F(HostileConfigTest, NamesThatLeaveTheRootCreateNothingOutsideIt) {
    struct NameCase {
        std::string label;
        std::string name;
        int exitCode;
    };
    // A neighbour of the root that a path could reach.
    testsupport::WriteFileBytes(work.path() + "neighbour/x", "neighbour's file");
    const std::string absolute = work.path() + "neighbour/x";
    const NameCase cases[] = {
        {"parent folder", "..\\neighbour\\x", kUpdateCurrent},
        {"parent folders after a folder", "a\\..\\..\\neighbour\\x", kUpdateCurrent},
        {"forward slashes", "../../neighbour/x", kUpdateCurrent},
        {"absolute path", absolute, kUpdateCurrent},
        {"absolute path elsewhere", "/etc/x", kUpdateCurrent},
        {"drive letter", "C:\\x", kUpdateCurrent},
        {"UNC path", "\\\\srv\\s\\x", kUpdateCurrent},
        {"a NUL inside", std::string("a\0..\\..\\x", 9), kUpdateCurrent},
        {"a dot folder", ".\\x", kUpdateCurrent},
        // No file can carry these: the run fails, inside the root.
        {"4 KiB in one component", std::string(4096, 'n'), kUpdateDownloadFailed},
        {"4 KiB of folders",
         [] {
             std::string deep;
             while (deep.size() < 4096)
                 deep += "deep\\";
             return deep + "x";
         }(),
         kUpdateDownloadFailed},
        // An empty name: the fields move up by one (runs of "=" are one separator), so the md5
        // becomes the name of a file of length 0, which no range can fetch: the config fails.
        {"empty", "", kUpdateConfigFailed},
    };
    ASSERT_FALSE(PathExists("/etc/x"));
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.label);
        std::filesystem::remove_all(root);
        v1.Install(root);
        auto outside = Outside();
        TestHttpServer server;
        v2.ServeOn(server);
        // The hostile line first, so it cannot hide behind a valid line of the same name.
        server.Serve(v2.ConfigPath(), Route(LineFor(c.name) + v2.config()));
        ChildOutcome outcome = RunToEnd(UpdateCommand(root, server.Url(v2.ConfigPath())));
        EXPECT_EQ(outcome.exitCode, c.exitCode) << outcome.output;
        EXPECT_EQ(Outside(), outside);
        EXPECT_FALSE(PathExists("/etc/x"));
        if (c.exitCode == kUpdateCurrent)
            ExpectInstalled(root, v2);
        else
            ExpectNothingWrongRecorded(root, v2, {&v1});
    }
}

TEST_F(HostileConfigTest, AMillionLinesTakeLinearTimeAndBoundedMemory) {
    // The published lines, then a million lines that must all be dropped: unsafe names,
    // repeated names (the first line of a name wins), lines of one field.
    std::string config = v2.config();
    config.reserve(48 * 1000000);
    const std::string unsafe[] = {"..\\x", "a\\..\\..\\x", work.path() + "outside", "C:\\x", "\\\\srv\\s\\x"};
    for (int i = 0; i < 1000000; ++i) {
        std::string number = std::to_string(i);
        switch (i % 8) {
            case 5:
                config += std::string("a\0b", 3) + number + "=m=v2=0=10=game\r\n";
                break;
            case 6:
                config += "data\\ships.dat=repeat" + number + "=v2=0=10=game\r\n";
                break;
            case 7:
                config += "single field " + number + "\r\n";
                break;
            default:
                config += unsafe[i % 8] + number + "=m=v2=0=10=game\r\n";
                break;
        }
    }
    v1.Install(root);
    testsupport::ReservedPort reserved;
    const int port = reserved.port();
    ASSERT_NE(port, 0);
    const std::string cdn = work.path() + "cdn/";
    v2.WriteCdnFolder(cdn, port);
    testsupport::WriteFileBytes(cdn + "config/v2.txt", config);
    auto outside = Outside();
    testsupport::NginxServer nginx(cdn, "v2", port);
    ASSERT_TRUE(nginx.running());

    auto started = std::chrono::steady_clock::now();
    ChildOutcome outcome = RunToEnd(UpdateCommand(root, nginx.baseUrl() + "/cdn/config/v2.txt"));
    auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(outcome.exitCode, kUpdateCurrent) << outcome.output;
    ExpectInstalled(root, v2);
    EXPECT_EQ(Outside(), outside);
    // Generous bounds: quadratic work on a million lines would take hours, and keeping a record
    // per dropped line, or copies of the body beyond a few, would pass the memory bound.
    EXPECT_LT(elapsed, std::chrono::seconds(120));
    EXPECT_LT(outcome.peakMemoryKiB, 512 * 1024);
    std::printf("config of %zu bytes: %.2f s, peak memory %ld KiB\n", config.size(),
                std::chrono::duration<double>(elapsed).count(), outcome.peakMemoryKiB);
}

TEST(ConfigBodyLimitTest, AConfigBodyPast256MiBIsRefusedAsItArrives) {
    // The processor the CDN downloader hands the engine for the config, fed as a transfer would.
    CCDNResourceDownloader& downloader = CCDNResourceDownloader::GetInstance();
    DownloadTaskInfo task;
    task.kind = DownloadKindConfig;
    DownloadDataProcessor* processor = downloader.GetProcessor(task);
    ASSERT_NE(processor, nullptr);
    ASSERT_TRUE(processor->Begin(0));
    const std::string megabyte(1024 * 1024, 'x');
    for (int i = 0; i < 256; ++i)
        ASSERT_TRUE(processor->Write(megabyte.data(), static_cast<std::uint32_t>(megabyte.size()))) << i;
    EXPECT_FALSE(processor->Write("x", 1));
    EXPECT_TRUE(processor->Finish());
    DownloadTaskResultInfo result;
    static_cast<DownloadTaskInfo&>(result) = task;
    result.result = kTransferWriteRefused;
    downloader.OnTaskResult(result);
}

}  // namespace
