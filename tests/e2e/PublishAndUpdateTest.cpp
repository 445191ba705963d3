#include "support/CdnPublication.h"
#include "support/ChildProcess.h"
#include "support/GzipData.h"
#include "support/NginxServer.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

namespace fs = std::filesystem;

namespace {

using testsupport::Md5LowerHex;
using testsupport::PathExists;
using testsupport::ReadFileBytes;
using testsupport::RunChild;
using testsupport::WriteFileBytes;

// version.txt names every game file once, each with the MD5 of what is on disk.
void ExpectVersionFileMatches(const std::string& root) {
    std::map<std::string, std::string> expected;
    for (const auto& [path, content] : testsupport::SnapshotFiles(root + "game")) {
        std::string name = path;
        std::replace(name.begin(), name.end(), '/', '\\');
        expected[name] = Md5LowerHex(content);
    }
    std::map<std::string, std::string> listed;
    std::string version = ReadFileBytes(root + "version.txt");
    std::size_t start = 0;
    while (start < version.size()) {
        std::size_t end = version.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "every line ends with CR LF";
        std::string line = version.substr(start, end - start);
        std::size_t equals = line.find('=');
        ASSERT_NE(equals, std::string::npos) << line;
        listed[line.substr(0, equals)] = line.substr(equals + 1);
        start = end + 2;
    }
    EXPECT_EQ(listed, expected);
}

class PublishAndUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        port = reserved.port();
        ASSERT_NE(port, 0);
        base = work.path();
        root = base + "root/";
        // Version 1: subfolders, a Chinese name, an empty file, and the launcher's own files.
        WriteFileBytes(base + "game/data/ships/cruiser.mdl", std::string(300000, 'c') + "end");
        WriteFileBytes(base + "game/data/音乐/主题曲.ogg", testsupport::RandomBytes(200000, 7));
        WriteFileBytes(base + "game/data/empty.flag", "");
        WriteFileBytes(base + "game/readme.txt", "Welcome aboard.\n");
        WriteFileBytes(base + "game/obsolete.dat", "to be removed in v2");
        WriteFileBytes(base + "launcher/Tolmqrvo", "#!/bin/sh\necho launcher 1\n");
        WriteFileBytes(base + "launcher/res/skin.dat", "skin 1");
    }

    int Pack(const std::string& version, const std::string& baseConfig = "") {
        std::vector<std::string> argv = {TOLM_PACK,
                                         "--game",
                                         base + "game",
                                         "--launcher",
                                         base + "launcher",
                                         "--out",
                                         base + "cdn",
                                         "--version",
                                         version,
                                         "--url-prefix",
                                         "http://127.0.0.1:" + std::to_string(port) + "/cdn/"};
        if (!baseConfig.empty()) {
            argv.push_back("--base");
            argv.push_back(baseConfig);
        }
        std::string output;
        int status = RunChild(argv, &output);
        EXPECT_EQ(status, 0) << output;
        return status;
    }

    int Update(std::string* output = nullptr) {
        std::string ignored;
        return RunChild({TOLM_UPDATE, "--root", root, "--notice-url", "http://127.0.0.1:" + std::to_string(port),
                         "--retry-pause", "20"},
                        output ? output : &ignored);
    }

    int ApplyJournal() {
        std::string output;
        int status = RunChild({TOLM_ENTRANCE, "--root", root, "--apply-only"}, &output);
        EXPECT_EQ(status, 0) << output;
        return status;
    }

    void ExpectInstalledEqualsSource() {
        EXPECT_EQ(testsupport::SnapshotFiles(root + "game"), testsupport::SnapshotFiles(base + "game"));
        auto launcher = testsupport::SnapshotFiles(base + "launcher");
        for (const auto& [path, content] : launcher)
            EXPECT_EQ(ReadFileBytes(root + path), content) << path;
        ExpectVersionFileMatches(root);
    }

    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    testsupport::ReservedPort reserved;
    int port = 0;
    std::string base;
    std::string root;
};

TEST_F(PublishAndUpdateTest, FreshInstallThenIncrementalVersionThenLauncherChange) {
    ASSERT_EQ(Pack("v1"), 0);
    {
        testsupport::NginxServer server(base + "cdn", "v1", port);
        ASSERT_TRUE(server.running());
        // An empty root: the launcher's own files come first and wait in the journal.
        std::string output;
        ASSERT_EQ(Update(&output), 10) << output;
        EXPECT_EQ(ReadFileBytes(root + "launcher.tmp").substr(0, 1), "\1");
        EXPECT_FALSE(PathExists(root + "game"));
        ASSERT_EQ(ApplyJournal(), 0);
        EXPECT_FALSE(PathExists(root + "launcher.tmp"));
        ASSERT_EQ(Update(&output), 0) << output;
        ExpectInstalledEqualsSource();
        // Nothing changed: the next check fetches nothing.
        ASSERT_EQ(Update(&output), 0) << output;
        EXPECT_EQ(output.find("美女指挥官"), std::string::npos) << output;
    }

    // Version 2: one file changed, one added, one removed; unchanged files keep their v1 lines.
    WriteFileBytes(base + "game/readme.txt", "Welcome aboard, captain.\n");
    WriteFileBytes(base + "game/data/ships/carrier.mdl", testsupport::RandomBytes(50000, 9));
    fs::remove(base + "game/obsolete.dat");
    ASSERT_EQ(Pack("v2", base + "cdn/config/v1.txt"), 0);
    // Only the new package may be needed: take the old one away.
    fs::rename(base + "cdn/v1/kx_game.kxpkg", base + "v1-package-aside");
    {
        testsupport::NginxServer server(base + "cdn", "v2", port);
        ASSERT_TRUE(server.running());
        std::string output;
        ASSERT_EQ(Update(&output), 0) << output;
        ExpectInstalledEqualsSource();
        EXPECT_FALSE(PathExists(root + "game/obsolete.dat"));
    }
    fs::rename(base + "v1-package-aside", base + "cdn/v1/kx_game.kxpkg");

    // Version 3: a launcher file changes: the update stops after the launcher files.
    WriteFileBytes(base + "launcher/Tolmqrvo", "#!/bin/sh\necho launcher 3\n");
    WriteFileBytes(base + "game/readme.txt", "Version three.\n");
    ASSERT_EQ(Pack("v3", base + "cdn/config/v2.txt"), 0);
    {
        testsupport::NginxServer server(base + "cdn", "v3", port);
        std::string output;
        ASSERT_EQ(Update(&output), 10) << output;
        EXPECT_EQ(ReadFileBytes(root + "Tolmqrvo"), "#!/bin/sh\necho launcher 1\n");
        EXPECT_EQ(ReadFileBytes(root + "game/readme.txt"), "Welcome aboard, captain.\n");
        ASSERT_EQ(ApplyJournal(), 0);
        EXPECT_EQ(ReadFileBytes(root + "Tolmqrvo"), "#!/bin/sh\necho launcher 3\n");
        EXPECT_TRUE(fs::status(root + "Tolmqrvo").permissions() ==
                    (fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                     fs::perms::others_exec));
        ASSERT_EQ(Update(&output), 0) << output;
        ExpectInstalledEqualsSource();
    }
}

TEST_F(PublishAndUpdateTest, AStoppedServerLeavesTheInstalledFilesAlone) {
    ASSERT_EQ(Pack("v1"), 0);
    {
        testsupport::NginxServer server(base + "cdn", "v1", port);
        ASSERT_EQ(Update(), 10);
        ApplyJournal();
        ASSERT_EQ(Update(), 0);
    }
    auto before = testsupport::SnapshotFiles(root);
    // Nobody listens any more: the notice request fails after its attempts.
    std::string output;
    EXPECT_EQ(Update(&output), 2) << output;
    EXPECT_NE(output.find("无法完成游戏资源更新，请求失败!"), std::string::npos) << output;
    EXPECT_EQ(RunChild({TOLM_UPDATE, "--root", root, "--retry-pause", "20", "--cdn",
                        "http://127.0.0.1:" + std::to_string(port) + "/cdn/config/v1.txt"},
                       &output),
              3)
        << output;
    EXPECT_EQ(testsupport::SnapshotFiles(root), before);
}

TEST_F(PublishAndUpdateTest, AnEntranceProgramThatCannotStartTheLauncherStartsOneToTellThePlayer) {
    fs::create_directories(root);  // a game root that holds no launcher after the journal
    // Stand-ins that record how they were started: the calling launcher and the per-user copy.
    const std::string caller = base + "caller/Tolmqrvo";
    const std::string copy = home.userFolder() + "Tolmqrvo";
    for (const std::string& program : {caller, copy}) {
        fs::create_directories(fs::path(program).parent_path());
        fs::copy_file(QRVO_GAME, program);
    }
    const struct {
        std::vector<std::string> environment;
        std::string started;
        std::string left;
    } cases[] = {
        {{"TOLM_CALLING_LAUNCHER=" + caller}, caller, copy},
        {{"TOLM_CALLING_LAUNCHER="}, copy, caller},
    };
    for (const auto& c : cases) {
        std::string output;
        // Scripts still read the failure from the exit status and standard error.
        EXPECT_EQ(RunChild({TOLM_ENTRANCE, "LAUNCHER_REBOOT=TRUE", "--root", root}, &output, c.environment), 3);
        EXPECT_NE(output.find("tolm-entrance: cannot start " + root + "Tolmqrvo: No such file or directory\n"),
                  std::string::npos)
            << output;
        const std::string record = fs::path(c.started).parent_path().string() + "/launch_record.txt";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!PathExists(record) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_NE(ReadFileBytes(record).find("command=" + c.started + " LAUNCHER_REBOOT=TRUE RESTART_FAILED=2\n"),
                  std::string::npos)
            << ReadFileBytes(record);
        EXPECT_FALSE(PathExists(fs::path(c.left).parent_path().string() + "/launch_record.txt"));
        fs::remove(record);
    }
}

}  // namespace
