// tolm-update --verify against the scripted server, whose request log shows every byte range the
// repair fetched: damaged, truncated and missing files come again and nothing else does; an intact
// install costs no package byte; a run killed while it hashes leaves version.txt naming no file
// found damaged, so the next plain update fetches exactly those.
#include "FaultChild.h"
#include "InstallCheck.h"
#include "PublishedVersion.h"
#include "UpdaterCommands.h"

#include "support/GzipData.h"
#include "support/TestFolders.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <thread>

namespace {

using namespace faults;
using testsupport::RandomBytes;
using testsupport::ReadFileBytes;
using testsupport::TestHttpServer;
using testsupport::WriteFileBytes;

// Inclusive byte ranges by package path.
using ByteRanges = std::map<std::string, std::set<std::pair<std::int64_t, std::int64_t>>>;

// Merges touching and overlapping ranges, so requests split or joined differently compare equal.
ByteRanges Merged(const ByteRanges& ranges) {
    ByteRanges merged;
    for (const auto& [path, list] : ranges) {
        std::pair<std::int64_t, std::int64_t> open{-1, -2};
        for (const auto& range : list) {
            if (range.first <= open.second + 1) {
                open.second = std::max(open.second, range.second);
                continue;
            }
            if (open.first >= 0)
                merged[path].insert(open);
            open = range;
        }
        if (open.first >= 0)
            merged[path].insert(open);
    }
    return merged;
}

// The package bytes the server was asked for from request `from` on. A package request without a
// range would be the whole package: recorded as such.
ByteRanges RequestedPackageBytes(const TestHttpServer& server, const PublishedVersion& version, std::size_t from = 0) {
    ByteRanges asked;
    const auto requests = server.Requests();
    for (std::size_t i = from; i < requests.size(); ++i) {
        const auto& request = requests[i];
        if (request.path == version.ConfigPath())
            continue;
        long long first = 0;
        long long last = 0;
        const std::string range = request.Header("Range");
        if (std::sscanf(range.c_str(), "bytes=%lld-%lld", &first, &last) != 2) {
            first = 0;
            last = -1;
            for (const auto& [dir, bytes] : version.packages()) {
                if (PublishedVersion::PackagePath(dir) == request.path)
                    last = static_cast<long long>(bytes.size()) - 1;
            }
        }
        asked[request.path].insert({first, last});
    }
    return Merged(asked);
}

ByteRanges StreamsOf(const PublishedVersion& version, const std::set<std::string>& names) {
    ByteRanges ranges;
    for (const std::string& name : names) {
        const VersionFile* file = version.Find(name);
        EXPECT_NE(file, nullptr) << name;
        if (!file)
            continue;
        auto offset = static_cast<std::int64_t>(version.OffsetOf(name));
        ranges[PublishedVersion::PackagePath(file->packageDir)].insert(
            {offset, offset + static_cast<std::int64_t>(version.LengthOf(name)) - 1});
    }
    return Merged(ranges);
}

std::vector<std::string> VerifyCommand(const std::string& root, const std::string& configUrl) {
    std::vector<std::string> argv = UpdateCommand(root, configUrl);
    argv.push_back("--verify");
    return argv;
}

// Two game packages and a launcher file: the check covers both kinds.
PublishedVersion RepairVersion() {
    return PublishedVersion("r1", {
                                      {"Tolmqrvo", "#!/bin/sh\necho launcher 1\n", "l1", true},
                                      {"readme.txt", "Welcome aboard.\n", "g1"},
                                      {"data\\ships.dat", RandomBytes(40000, 31), "g1"},
                                      {"data\\maps.dat", RandomBytes(30000, 32), "g1"},
                                      {"sound\\theme.ogg", RandomBytes(50000, 33), "g2"},
                                      {"sound\\calm.ogg", RandomBytes(35000, 34), "g2"},
                                      {"text\\strings.txt", std::string(20000, 's'), "g2"},
                                  });
}

void ChangeOneByte(const std::string& path, std::size_t at) {
    std::string bytes = ReadFileBytes(path);
    bytes[at] = static_cast<char>(bytes[at] ^ 0x20);
    WriteFileBytes(path, bytes);
}

TEST(RepairTest, OnlyDamagedTruncatedAndMissingFilesAreFetchedAgain) {
    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    const PublishedVersion version = RepairVersion();
    const std::string root = work.path() + "root/";
    auto game = [&](const char* name) { return NativePath(root + "game/", name); };
    const struct {
        const char* what;
        std::function<void()> damage;
        std::set<std::string> fetched;
        int damaged;
        bool launcher;  // a launcher file is among them: the run ends asking for a restart
    } cases[] = {
        {"one byte changed, one file truncated, one removed",
         [&] {
             ChangeOneByte(game("data\\maps.dat"), 29999);
             std::filesystem::resize_file(game("sound\\theme.ogg"), 1000);
             std::filesystem::remove(game("readme.txt"));
         },
         {"data\\maps.dat", "sound\\theme.ogg", "readme.txt"},
         3,
         false},
        {"an intact install", [] {}, {}, 0, false},
        // The files are what the config lists: a lost version.txt costs no download.
        {"an intact install whose version.txt is lost",
         [&] { std::filesystem::remove(root + "version.txt"); },
         {},
         0,
         false},
        // A changed line of version.txt does not hide a damaged file, nor make an intact one fetched.
        {"a damaged file version.txt still vouches for beside a line of another digest",
         [&] {
             ChangeOneByte(game("text\\strings.txt"), 0);
             std::string text = ReadFileBytes(root + "version.txt");
             const std::string md5 = version.Md5Of("sound\\calm.ogg");
             text.replace(text.find(md5), md5.size(), std::string(32, '0'));
             WriteFileBytes(root + "version.txt", text);
         },
         {"text\\strings.txt"},
         1,
         false},
        {"a damaged launcher file", [&] { ChangeOneByte(root + "Tolmqrvo", 3); }, {"Tolmqrvo"}, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(root);
        version.Install(root);
        c.damage();
        TestHttpServer server;
        version.ServeOn(server);

        ChildOutcome outcome = RunToEnd(VerifyCommand(root, server.Url(version.ConfigPath())));
        const std::string checked = "共" + std::to_string(version.files().size()) + "个文件";
        EXPECT_NE(outcome.output.find("校验完成," + checked +
                                      (c.damaged ? "," + std::to_string(c.damaged) + "个需要修复" : ",均完好")),
                  std::string::npos)
            << outcome.output;
        if (c.launcher) {
            ASSERT_EQ(outcome.exitCode, kUpdateLauncherFetched) << outcome.output;
            ASSERT_EQ(RunToEnd(ApplyJournalCommand(root)).exitCode, 0);
            outcome = RunToEnd(UpdateCommand(root, server.Url(version.ConfigPath())));
            EXPECT_EQ(outcome.exitCode, kUpdateCurrent) << outcome.output;
        } else {
            EXPECT_EQ(outcome.exitCode, kUpdateCurrent) << outcome.output;
            EXPECT_NE(outcome.output.find("修复完成,已校验" + std::to_string(version.files().size()) + "个文件,修复" +
                                          std::to_string(c.damaged) + "个"),
                      std::string::npos)
                << outcome.output;
        }
        EXPECT_EQ(RequestedPackageBytes(server, version), StreamsOf(version, c.fetched));
        ExpectInstalled(root, version);

        // Checked again, the repaired install is intact: the config and not one package byte.
        const std::size_t before = server.RequestCount();
        outcome = RunToEnd(VerifyCommand(root, server.Url(version.ConfigPath())));
        EXPECT_EQ(outcome.exitCode, kUpdateCurrent) << outcome.output;
        EXPECT_NE(outcome.output.find("校验完成," + checked + ",均完好"), std::string::npos) << outcome.output;
        EXPECT_EQ(server.RequestCount(), before + 1);
        EXPECT_TRUE(RequestedPackageBytes(server, version, before).empty());
        ExpectInstalled(root, version);
    }
}

// Waits until `done` holds, checking every 5 ms; false after `timeout`.
bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

TEST(RepairTest, AKillWhileHashingLeavesNoLineForAFileFoundDamaged) {
    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    const std::string root = work.path() + "root/";
    // The last file is hashed last; on disk it becomes a sparse file of 4 GiB, which takes the
    // check seconds to read while the kill lands.
    const PublishedVersion version("r2", {
                                             {"readme.txt", "Welcome aboard.\n", "g1"},
                                             {"data\\ships.dat", RandomBytes(40000, 41), "g1"},
                                             {"data\\maps.dat", RandomBytes(30000, 42), "g1"},
                                             {"sound\\theme.ogg", RandomBytes(50000, 43), "g2"},
                                             {"zz\\huge.pak", RandomBytes(10000, 44), "g2"},
                                         });
    version.Install(root);
    auto game = [&](const char* name) { return NativePath(root + "game/", name); };
    std::filesystem::resize_file(game("data\\maps.dat"), 100);
    std::filesystem::remove(game("sound\\theme.ogg"));
    std::filesystem::remove(game("zz\\huge.pak"));
    WriteFileBytes(game("zz\\huge.pak"), "");
    std::filesystem::resize_file(game("zz\\huge.pak"), std::uintmax_t{4} << 30);
    // A run cut short recorded the truncated file's arrival; the start folds that record in
    // before the check, which must not let it vouch for the file again.
    WriteFileBytes(root + ".tolm-staging/arrivals.txt", "data\\maps.dat=" + version.Md5Of("data\\maps.dat") + "\r\n");

    TestHttpServer server;
    version.ServeOn(server);
    FaultChild child;
    ASSERT_TRUE(child.Start(VerifyCommand(root, server.Url(version.ConfigPath()))));
    const bool forgotten = WaitUntil(
        [&] {
            std::map<std::string, std::string> lines = RecordedVersions(root);
            return !lines.empty() && !lines.count("data\\maps.dat") && !lines.count("sound\\theme.ogg");
        },
        std::chrono::seconds(60));
    child.Kill();
    ChildOutcome outcome = child.Wait();
    ASSERT_TRUE(forgotten) << "version.txt kept vouching for the damaged files while hashing\n" << outcome.output;
    ASSERT_EQ(outcome.signal, SIGKILL) << outcome.output;
    EXPECT_EQ(outcome.output.find("校验完成"), std::string::npos) << "the kill landed after the check\n"
                                                                  << outcome.output;
    EXPECT_TRUE(RequestedPackageBytes(server, version).empty());

    // The intact files keep their lines; the file the check had not finished keeps its line until
    // a check reaches its end.
    EXPECT_EQ(RecordedVersions(root), (std::map<std::string, std::string>{
                                          {"readme.txt", version.Md5Of("readme.txt")},
                                          {"data\\ships.dat", version.Md5Of("data\\ships.dat")},
                                          {"zz\\huge.pak", version.Md5Of("zz\\huge.pak")},
                                      }));

    // The next plain update trusts version.txt and fetches exactly the two files found damaged.
    const std::size_t before = server.RequestCount();
    outcome = RunToEnd(UpdateCommand(root, server.Url(version.ConfigPath())));
    EXPECT_EQ(outcome.exitCode, kUpdateCurrent) << outcome.output;
    EXPECT_EQ(RequestedPackageBytes(server, version, before),
              StreamsOf(version, {"data\\maps.dat", "sound\\theme.ogg"}));
    for (const char* name : {"data\\maps.dat", "sound\\theme.ogg", "readme.txt", "data\\ships.dat"})
        EXPECT_EQ(ReadFileBytes(game(name)), version.Find(name)->content) << name;
}

}  // namespace
