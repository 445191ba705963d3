// Native Windows paths through the core: backslashes, drive letters and the product's own names.
#include "base/FileUtilities.h"
#include "base/SafePath.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "shell/GameProcessContract.h"
#include "shell/InstallLocations.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

namespace {

TEST(Win32PathsTest, ProgramsBelowTheRootHaveTheirWindowsNames) {
    EXPECT_EQ(GameFolder("C:\\QRVO\\Tolm\\"), "C:\\QRVO\\Tolm\\game\\");
    EXPECT_EQ(GameExecutablePath("C:\\QRVO\\Tolm\\"), "C:\\QRVO\\Tolm\\game\\qrvo_game.exe");
    EXPECT_EQ(LauncherExecutablePath("D:\\Games\\Tolm\\"), "D:\\Games\\Tolm\\Tolmqrvo.exe");
}

TEST(Win32PathsTest, ResourceNamesBecomeBackslashPathsAndDriveNamesAreRefused) {
    const struct {
        const char* name;
        bool safe;
        const char* path;
    } cases[] = {
        {"bin\\tool.dll", true, "C:\\QRVO\\Tolm\\bin\\tool.dll"},
        {"bin/sub\\a.txt", true, "C:\\QRVO\\Tolm\\bin\\sub\\a.txt"},
        {"C:\\Windows\\evil.dll", false, ""},
        {"d:relative.dll", false, ""},
        {"\\\\server\\share\\x", false, ""},
        {"\\rooted", false, ""},
        {"bin\\..\\..\\x", false, ""},
    };
    for (const auto& c : cases) {
        std::string path = "unchanged";
        EXPECT_EQ(ResolveResourcePath("C:\\QRVO\\Tolm\\", c.name, path), c.safe) << c.name;
        EXPECT_EQ(path, c.safe ? c.path : "unchanged") << c.name;
    }
    std::string parent;
    ASSERT_TRUE(ParentFolder("C:\\QRVO\\Tolm\\game\\qrvo_game.exe", parent));
    EXPECT_EQ(parent, "C:\\QRVO\\Tolm\\game");
}

TEST(Win32PathsTest, FolderChainsAndFixedFoldersOnADrive) {
    testsupport::TempFolder temp;
    ASSERT_EQ(temp.path().substr(1, 2), ":\\");  // a drive path, as the system gives it
    const std::string deep = temp.path() + "\xE4\xB8\xAD\xE6\x96\x87\\with space\\c\\";
    ASSERT_TRUE(CreateFolderChain(deep));
    EXPECT_TRUE(platform::FolderExists(deep));
    // A stored game root deeper than the drive's root is accepted: the drive type is the root's.
    EXPECT_TRUE(platform::IsExistingFixedFolder(deep));
    EXPECT_FALSE(platform::IsExistingFixedFolder("relative\\folder"));
    EXPECT_FALSE(platform::IsExistingFixedFolder(temp.path() + "missing\\"));
    RemoveEmptyFolders(temp.path() + "\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_FALSE(platform::FolderExists(temp.path() + "\xE4\xB8\xAD\xE6\x96\x87"));
}

TEST(Win32PathsTest, InstallLocationsUseApplicationDataAndDriveC) {
    std::string drive;
    ASSERT_TRUE(DefaultInstallDrive(drive));
    EXPECT_EQ(drive, "C:\\");
    std::string appData = platform::ApplicationDataFolder();
    ASSERT_FALSE(appData.empty());
    EXPECT_NE(appData.back(), '\\');
    EXPECT_EQ(GetUserDataDirectory(), appData + "\\QRVO_PC\\Tolm\\");
    EXPECT_TRUE(platform::FolderExists(appData + "\\QRVO_PC\\Tolm"));
}

}  // namespace
