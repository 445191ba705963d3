#include "shell/InstallLocations.h"

#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testsupport::IsolatedHome;
using testsupport::PathExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

TEST(InstallLocationsTest, FreshMachine) {
    IsolatedHome home;
    EXPECT_EQ(GetUserDataDirectory(), home.userFolder());
    EXPECT_FALSE(PathExists(home.userFolder() + "launcher_test.txt"));
    std::string root = GetGameRoot();
    EXPECT_EQ(root, home.home() + "QRVO/Tolm/");
    // The record holds exactly the path, no line break; the root itself is not created.
    EXPECT_EQ(ReadFileBytes(home.userFolder() + "game_root.txt"), root);
    EXPECT_FALSE(PathExists(root));
}

TEST(InstallLocationsTest, XdgDataHomeIsTheApplicationDataFolder) {
    IsolatedHome home;
    home.environment().Set("XDG_DATA_HOME", home.home() + "data");
    EXPECT_EQ(GetUserDataDirectory(), home.home() + "data/QRVO_PC/Tolm/");
}

TEST(InstallLocationsTest, UnwritableUserFolderFallsBackBelowHome) {
    IsolatedHome home;
    // A regular file where the per-user folder chain must be created.
    WriteFileBytes(home.home() + ".local/share/QRVO_PC", "in the way");
    EXPECT_EQ(GetUserDataDirectory(), home.home() + "QRVO_PC/Tolm/");
    // The record then lives in the fallback folder, which writing creates.
    std::string root = GetGameRoot();
    EXPECT_EQ(ReadFileBytes(home.home() + "QRVO_PC/Tolm/game_root.txt"), root);
}

TEST(InstallLocationsTest, NoHomeFolderKeepsTheUnwritableFolderAndPutsTheRootBelowIt) {
    IsolatedHome home;
    home.environment().Set("XDG_DATA_HOME", home.home() + "blocked/data");
    WriteFileBytes(home.home() + "blocked", "file");
    home.environment().Set("HOME", home.home() + "gone");
    std::string user = home.home() + "blocked/data/QRVO_PC/Tolm/";
    EXPECT_EQ(GetUserDataDirectory(), user);
    EXPECT_EQ(GetGameRoot(), user + "QRVO/Tolm/");
}

TEST(InstallLocationsTest, StoredRootIsKeptWhenItNamesAFolder) {
    IsolatedHome home;
    std::filesystem::create_directories(home.home() + "games/tolm");
    WriteFileBytes(home.userFolder() + "game_root.txt", home.home() + "games/tolm/");
    EXPECT_EQ(GetGameRoot(), home.home() + "games/tolm/");
    // Pinned by hand without the final separator: the separator is added, the record kept.
    WriteFileBytes(home.userFolder() + "game_root.txt", home.home() + "games/tolm");
    EXPECT_EQ(GetGameRoot(), home.home() + "games/tolm/");
    EXPECT_EQ(ReadFileBytes(home.userFolder() + "game_root.txt"), home.home() + "games/tolm");
}

TEST(InstallLocationsTest, InvalidRecordsAreReplacedByTheDefault) {
    IsolatedHome home;
    std::filesystem::create_directories(home.home() + "games/tolm");
    const std::string cases[] = {
        home.home() + "games/tolm/\r\n",  // a trailing line break makes the path invalid
        home.home() + "games/missing/",
        "",
        "relative/games/",
        std::string("\x00\xff\xfe binary \x01", 12),
        home.home() + "games/tolm/" + std::string(1, '\0') + "x",
        std::string(1 << 20, 'a'),  // enormous
    };
    for (const std::string& content : cases) {
        WriteFileBytes(home.userFolder() + "game_root.txt", content);
        EXPECT_EQ(GetGameRoot(), home.home() + "QRVO/Tolm/") << content.substr(0, 40);
        EXPECT_EQ(ReadFileBytes(home.userFolder() + "game_root.txt"), home.home() + "QRVO/Tolm/");
    }
}

TEST(InstallLocationsTest, ModulePathIsThisProgram) {
    std::string path = GetModulePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_NE(path.find("tolm_unit_tests"), std::string::npos);
}

}  // namespace
