// Signed versions end to end: tolm-pack and the minisign command sign, nginx serves, tolm-update
// with a trusted key installs only what that key signed, with a serial that never goes back.
#include "support/ChildProcess.h"
#include "support/NginxServer.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

using testsupport::PathExists;
using testsupport::ReadFileBytes;
using testsupport::RunChild;
using testsupport::WriteFileBytes;

class SignedReleaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        port = reserved.port();
        base = work.path();
        root = base + "root/";
        WriteFileBytes(base + "game/readme.txt", "Welcome aboard.\n");
        WriteFileBytes(base + "game/data/ships/cruiser.mdl", std::string(100000, 'c'));
        WriteFileBytes(base + "launcher/Tolmqrvo", "#!/bin/sh\necho launcher 1\n");
        MakeKey("publisher");
        MakeKey("stranger");
    }

    void MakeKey(const std::string& name) {
        std::string output;
        ASSERT_EQ(RunChild({MINISIGN, "-G", "-W", "-p", base + name + ".pub", "-s", base + name + ".sec"}, &output), 0)
            << output;
    }

    std::string ConfigPath(const std::string& version) const { return base + "cdn/config/" + version + ".txt"; }

    int Pack(const std::string& version, std::vector<std::string> extra, std::string* output) {
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
        argv.insert(argv.end(), extra.begin(), extra.end());
        return RunChild(argv, output);
    }

    // minisign's own signature of a config, replacing the one beside it.
    void MinisignSign(const std::string& version, const std::string& key, const std::string& comment, bool legacy) {
        std::vector<std::string> argv = {MINISIGN, "-S",   "-s", base + key + ".sec", "-m", ConfigPath(version),
                                         "-t",     comment};
        if (legacy)
            argv.push_back("-l");
        std::string output;
        ASSERT_EQ(RunChild(argv, &output), 0) << output;
    }

    int Update(const std::string& version, std::string* output, bool trusting = true) {
        std::vector<std::string> argv = {
            TOLM_UPDATE, "--root",
            root,        "--retry-pause",
            "20",        "--trace",
            "--cdn",     "http://127.0.0.1:" + std::to_string(port) + "/cdn/config/" + version + ".txt"};
        if (trusting) {
            argv.push_back("--trusted-key");
            argv.push_back(base + "publisher.pub");
        }
        return RunChild(argv, output);
    }

    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    testsupport::ReservedPort reserved;
    int port = 0;
    std::string base;
    std::string root;
};

TEST_F(SignedReleaseTest, TolmPackSignsWhatMinisignVerifiesAndRefusesAProtectedKey) {
    std::string output;
    ASSERT_EQ(Pack("v1", {"--sign-key", base + "publisher.sec", "--serial", "100"}, &output), 0) << output;
    ASSERT_EQ(RunChild({MINISIGN, "-V", "-p", base + "publisher.pub", "-m", ConfigPath("v1")}, &output), 0) << output;
    EXPECT_NE(output.find("Trusted comment: serial=100"), std::string::npos) << output;
    // Without --serial the serial is the time of signing, so a later version has a higher one.
    ASSERT_EQ(Pack("v2", {"--sign-key", base + "publisher.sec"}, &output), 0) << output;
    ASSERT_EQ(RunChild({MINISIGN, "-V", "-p", base + "publisher.pub", "-m", ConfigPath("v2")}, &output), 0) << output;
    std::size_t at = output.find("Trusted comment: serial=");
    ASSERT_NE(at, std::string::npos) << output;
    EXPECT_GT(std::stoll(output.substr(at + 24)), 1700000000LL) << output;

    // A key with a password: a clear refusal, and nothing published.
    ASSERT_EQ(RunChild({"/bin/sh", "-c", "printf 'pw\\npw\\n' | \"$0\" -G -p \"$1\" -s \"$2\"", MINISIGN,
                        base + "locked.pub", base + "locked.sec"},
                       &output),
              0)
        << output;
    EXPECT_EQ(Pack("v3", {"--sign-key", base + "locked.sec"}, &output), 2);
    EXPECT_NE(output.find("protected by a password"), std::string::npos) << output;
    EXPECT_FALSE(PathExists(ConfigPath("v3")));
}

TEST_F(SignedReleaseTest, InstallsOnlyWhatTheTrustedKeySignedWithASerialThatNeverGoesBack) {
    std::string output;
    ASSERT_EQ(Pack("v1", {"--sign-key", base + "publisher.sec", "--serial", "100"}, &output), 0) << output;
    WriteFileBytes(base + "game/readme.txt", "Version two.\n");
    ASSERT_EQ(
        Pack("v2", {"--base", ConfigPath("v1"), "--sign-key", base + "publisher.sec", "--serial", "200"}, &output), 0)
        << output;
    testsupport::NginxServer server(base + "cdn", "v1", port);
    ASSERT_TRUE(server.running());

    ASSERT_EQ(Update("v1", &output), 10) << output;
    ASSERT_EQ(RunChild({TOLM_ENTRANCE, "--root", root, "--apply-only"}, &output), 0) << output;
    ASSERT_EQ(Update("v1", &output), 0) << output;
    EXPECT_EQ(ReadFileBytes(root + "game/readme.txt"), "Welcome aboard.\n");
    EXPECT_EQ(ReadFileBytes(root + "config_serial.txt"), "100\n");

    // Each refusal fails the config (exit 3), names the failed check, and changes nothing.
    const std::string config = ReadFileBytes(ConfigPath("v2"));
    const std::string signature = ReadFileBytes(ConfigPath("v2") + ".minisig");
    struct Refusal {
        const char* label;
        std::function<void()> publish;
        const char* reason;
    };
    const Refusal refusals[] = {
        {"unsigned", [&] { fs::remove(ConfigPath("v2") + ".minisig"); }, "no signature at"},
        {"tampered",
         [&] {
             std::string changed = config;
             changed[changed.find('=') + 1] ^= 1;
             WriteFileBytes(ConfigPath("v2"), changed);
         },
         "does not match the config's bytes"},
        {"foreign key", [&] { MinisignSign("v2", "stranger", "serial=300", false); }, "which is not trusted"},
        {"lower serial", [&] { MinisignSign("v2", "publisher", "serial=99", false); }, "lower than serial 100"},
    };
    for (const Refusal& refusal : refusals) {
        WriteFileBytes(ConfigPath("v2"), config);
        WriteFileBytes(ConfigPath("v2") + ".minisig", signature);
        refusal.publish();
        auto before = testsupport::SnapshotFiles(root);
        EXPECT_EQ(Update("v2", &output), 3) << refusal.label << "\n" << output;
        std::size_t line = output.find("cdn config refused: ");
        ASSERT_NE(line, std::string::npos) << refusal.label << "\n" << output;
        EXPECT_NE(output.substr(line, output.find('\n', line) - line).find(refusal.reason), std::string::npos)
            << refusal.label << "\n"
            << output;
        EXPECT_EQ(output.find("kx_game.kxpkg"), std::string::npos) << refusal.label << ": nothing is fetched";
        EXPECT_EQ(testsupport::SnapshotFiles(root), before) << refusal.label;
    }

    // A higher serial signed by the minisign command (prehashed) is taken.
    WriteFileBytes(ConfigPath("v2"), config);
    MinisignSign("v2", "publisher", "serial=300", false);
    ASSERT_EQ(Update("v2", &output), 0) << output;
    EXPECT_EQ(ReadFileBytes(root + "game/readme.txt"), "Version two.\n");
    EXPECT_EQ(ReadFileBytes(root + "config_serial.txt"), "300\n");

    // And its legacy form.
    WriteFileBytes(base + "game/readme.txt", "Version three.\n");
    ASSERT_EQ(Pack("v3", {"--base", ConfigPath("v2")}, &output), 0) << output;
    MinisignSign("v3", "publisher", "serial=400", true);
    ASSERT_EQ(Update("v3", &output), 0) << output;
    EXPECT_EQ(ReadFileBytes(root + "game/readme.txt"), "Version three.\n");
    EXPECT_EQ(ReadFileBytes(root + "config_serial.txt"), "400\n");

    // Now v2, validly signed but older, is a rollback.
    auto before = testsupport::SnapshotFiles(root);
    EXPECT_EQ(Update("v2", &output), 3) << output;
    EXPECT_EQ(testsupport::SnapshotFiles(root), before);

    // With no trusted key the launcher works as it always did: an unsigned config is used.
    WriteFileBytes(base + "game/readme.txt", "Version four.\n");
    ASSERT_EQ(Pack("v4", {"--base", ConfigPath("v3")}, &output), 0) << output;
    ASSERT_EQ(Update("v4", &output, false), 0) << output;
    EXPECT_EQ(ReadFileBytes(root + "game/readme.txt"), "Version four.\n");
}

}  // namespace
