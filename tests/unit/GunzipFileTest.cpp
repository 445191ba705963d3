#include "download/GunzipFile.h"
#include "support/GzipData.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <string>

using testsupport::GzipBytes;
using testsupport::PathExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

class GunzipFileTest : public ::testing::Test {
protected:
    std::string Unpacked(const std::string& source) {
        WriteFileBytes(sourcePath, source);
        EXPECT_TRUE(GunzipFile(targetPath, sourcePath));
        EXPECT_FALSE(PathExists(targetPath + ".new"));
        return ReadFileBytes(targetPath);
    }

    testsupport::TempFolder folder;
    std::string sourcePath = folder.path() + "file.dat.t";
    std::string targetPath = folder.path() + "file.dat";
};

TEST_F(GunzipFileTest, UnpacksGzipAndCopiesAnythingElse) {
    const std::string data = testsupport::RandomBytes(200 * 1024 + 3, 7) + std::string(100000, 'z');
    EXPECT_EQ(Unpacked(GzipBytes(data)), data);
    // Members back to back are one file.
    EXPECT_EQ(Unpacked(GzipBytes("first ") + GzipBytes("second")), "first second");
    // Not gzip data: copied unchanged, whatever it holds.
    EXPECT_EQ(Unpacked("plain text, not compressed"), "plain text, not compressed");
    EXPECT_EQ(Unpacked("\x1f"), "\x1f");
    EXPECT_EQ(Unpacked(GzipBytes("")), "");
}

TEST_F(GunzipFileTest, BrokenStreamLeavesNoPartialTarget) {
    const std::string data = testsupport::RandomBytes(300 * 1024, 8);
    const std::string packed = GzipBytes(data);
    std::string corrupt = packed;
    corrupt[corrupt.size() / 2] = static_cast<char>(corrupt[corrupt.size() / 2] ^ 0x55);
    std::string badChecksum = packed;
    badChecksum[badChecksum.size() - 6] = static_cast<char>(badChecksum[badChecksum.size() - 6] ^ 0x01);
    const std::string broken[] = {
        packed.substr(0, packed.size() / 2),  // cut inside the data
        packed.substr(0, packed.size() - 4),  // cut inside the trailer
        packed.substr(0, 12),                 // only the header
        corrupt,
        badChecksum,
        packed + "trailing garbage",               // more than the stream
        packed + "\x1f",                           // a lone first byte of another member
        packed + GzipBytes("next").substr(0, 12),  // half a member after a whole one
    };
    for (const std::string& source : broken) {
        WriteFileBytes(targetPath, "previous version");
        WriteFileBytes(sourcePath, source);
        EXPECT_FALSE(GunzipFile(targetPath, sourcePath));
        EXPECT_EQ(ReadFileBytes(targetPath), "previous version");
        EXPECT_FALSE(PathExists(targetPath + ".new"));
        EXPECT_TRUE(PathExists(sourcePath));
    }
}

TEST_F(GunzipFileTest, MissingSourceOrUnwritableTargetFails) {
    EXPECT_FALSE(GunzipFile(targetPath, folder.path() + "absent.t"));
    EXPECT_FALSE(PathExists(targetPath));

    WriteFileBytes(sourcePath, GzipBytes("data"));
    // A regular file stands where the target's folder should be.
    WriteFileBytes(folder.path() + "blocker", "x");
    EXPECT_FALSE(GunzipFile(folder.path() + "blocker/file.dat", sourcePath));
}

TEST_F(GunzipFileTest, FullDiskLeavesNoPartialTarget) {
    // A file size limit makes writes past it fail the way a full disk does.
    const std::string data = testsupport::RandomBytes(2 * 1024 * 1024, 9);
    WriteFileBytes(sourcePath, GzipBytes(data));
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 512 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    bool unpacked = GunzipFile(targetPath, sourcePath);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(unpacked);
    EXPECT_FALSE(PathExists(targetPath));
    EXPECT_FALSE(PathExists(targetPath + ".new"));
}

}  // namespace
