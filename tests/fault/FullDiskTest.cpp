// A disk that fills up while the update writes: the unpacked file does not fit although the
// download itself passed the disk check (packages are compressed). The update must fail cleanly,
// keep version.txt intact and truthful, and the next update with room must finish the job and
// leave no temporary file behind.
#include "FaultChild.h"
#include "FaultVersions.h"
#include "InstallCheck.h"
#include "UpdaterCommands.h"

#include "support/TestFolders.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>

#include <filesystem>

namespace {

using namespace faults;
using testsupport::TestHttpServer;

// v2 and a file that packs to a few KiB but unpacks to 3 MiB.
PublishedVersion BigVersion() {
    std::vector<VersionFile> files = GameV2().files();
    std::string terrain;
    while (terrain.size() < 3 * 1024 * 1024)
        terrain += "terrain row " + std::to_string(terrain.size() % 977) + "; ";
    files.push_back({"data\\terrain.dat", terrain, "v2"});
    return PublishedVersion("v2", files);
}

class FullDiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(root);
        big.ServeOn(server);
    }

    // After the failed update: version.txt is whole and names nothing that is not on disk, the
    // file that did not fit is not recorded; then an update with room converges.
    void ExpectCleanFailureThenRecovery(const ChildOutcome& full) {
        EXPECT_EQ(full.exitCode, kUpdateDownloadFailed) << full.output;
        EXPECT_NE(RecordedVersions(root)["data\\terrain.dat"], big.Md5Of("data\\terrain.dat"));
        ExpectNothingWrongRecorded(root, big, {&v1});
        // The part of the unpacked file that fitted is gone; the packed download may stay for the
        // next update to replace.
        for (const auto& [path, print] : Fingerprints(root + "game")) {
            EXPECT_FALSE(path.size() > 4 && path.compare(path.size() - 4, 4, ".new") == 0) << path;
        }
    }

    void ExpectRecovery() {
        ChildOutcome roomy = RunToEnd(UpdateCommand(root, server.Url(big.ConfigPath())));
        EXPECT_EQ(roomy.exitCode, kUpdateCurrent) << roomy.output;
        ExpectInstalled(root, big);
    }

    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    const std::string root = work.path() + "root/";
    PublishedVersion v1 = GameV1();
    PublishedVersion big = BigVersion();
    TestHttpServer server;
};

TEST_F(FullDiskTest, WritesPastAFileSizeLimitFailCleanly) {
    v1.Install(root);
    // Every file the updater writes is limited to 1 MiB: the unpacked terrain hits the limit.
    ChildOutcome full = RunToEnd(UpdateCommand(root, server.Url(big.ConfigPath())), 1024 * 1024);
    ExpectCleanFailureThenRecovery(full);
    ExpectRecovery();
}

// A tmpfs mounted over the game root in a mount namespace of this test process alone, so it goes
// away with the process whatever happens; unmounted at the end.
class PrivateTmpfs {
public:
    bool Mount(const std::string& folder, const std::string& size) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return false;
        std::string options = "size=" + size;
        if (::mount("tolm-fault", folder.c_str(), "tmpfs", 0, options.c_str()) != 0)
            return false;
        folder_ = folder;
        return true;
    }
    bool Resize(const std::string& size) {
        std::string options = "size=" + size;
        return ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT, options.c_str()) == 0;
    }
    ~PrivateTmpfs() {
        if (!folder_.empty())
            ::umount2(folder_.c_str(), MNT_DETACH);
    }

private:
    std::string folder_;
};

TEST_F(FullDiskTest, AFullFilesystemFailsCleanly) {
    PrivateTmpfs disk;
    if (!disk.Mount(root, "1m"))
        GTEST_SKIP() << "no private tmpfs on this machine (needs mount rights); the file size limit case covers it";
    v1.Install(root);
    ChildOutcome full = RunToEnd(UpdateCommand(root, server.Url(big.ConfigPath())));
    ExpectCleanFailureThenRecovery(full);
    ASSERT_TRUE(disk.Resize("16m"));
    ExpectRecovery();
}

}  // namespace
