// The Windows platform layer: UTF-8 names through the W calls, processes, the named mutex, the
// shell link and the disk space of a folder that does not exist yet.
#include "base/FileUtilities.h"
#include "platform/DesktopShortcut.h"
#include "platform/DiskSpace.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/SingleInstance.h"
#include "shell/ProcessControl.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using testsupport::TempFolder;

const std::string kChinese = "\xE5\xAE\x98\xE7\xBD\x91";  // 官网

TEST(Win32PlatformTest, FileNamesKeepTheirCharacters) {
    TempFolder temp;
    const std::string path = temp.path() + kChinese + " name.txt";
    ASSERT_TRUE(platform::WriteWholeFile(path, std::string("a\0b\r\n", 5)));
    std::vector<std::string> names;
    ASSERT_TRUE(platform::ListFolderFiles(temp.path(), names));
    EXPECT_EQ(names, std::vector<std::string>{kChinese + " name.txt"});
    std::string bytes;
    ASSERT_TRUE(platform::ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes, std::string("a\0b\r\n", 5));  // binary: no line-end translation
    EXPECT_EQ(platform::FileSize(path), 5);

    ASSERT_TRUE(platform::WriteFileAtomically(temp.path() + "other.txt", "new"));
    EXPECT_TRUE(platform::RenameFile(temp.path() + "other.txt", path));  // replaces
    ASSERT_TRUE(platform::ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes, "new");
    ASSERT_TRUE(platform::AppendToFile(path, "+more"));
    ASSERT_TRUE(platform::WriteAtOffset(path, 1, "E"));
    ASSERT_TRUE(platform::ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes, "nEw+more");

    ASSERT_TRUE(platform::WriteWholeFile(temp.path() + "copy.txt", "taken"));
    EXPECT_FALSE(platform::CopyFileNoReplace(path, temp.path() + "copy.txt"));
    ASSERT_TRUE(platform::ReadWholeFile(temp.path() + "copy.txt", bytes));
    EXPECT_EQ(bytes, "taken");
    EXPECT_FALSE(platform::FileExists(temp.path() + "missing.txt"));
    EXPECT_EQ(platform::LastErrorCode(), 2);  // ERROR_FILE_NOT_FOUND
}

TEST(Win32PlatformTest, StartsAProgramWithItsArgumentsInAFolderWithSpaces) {
    TempFolder temp;
    std::string program;
    ASSERT_TRUE(ParentFolder(platform::ModuleFilePath(), program));
    program += "\\qrvo_game.exe";
    const std::string folder = temp.path() + kChinese + " game";
    ASSERT_TRUE(CreateFolderChain(folder));
    int error = -1;
    ASSERT_TRUE(StartProcess(program, folder, "ENTRANCE=C:\\a%20b\\Tolmqrvo.exe PLATFORM=1", error));
    EXPECT_EQ(error, 0);

    // The started program is detached from us; its record is what can be waited for.
    const std::string record = folder + "/launch_record.txt";
    std::string bytes;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while ((!platform::ReadWholeFile(record, bytes) || bytes.find("folder=") == std::string::npos) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_NE(bytes.find(" ENTRANCE=C:\\a%20b\\Tolmqrvo.exe PLATFORM=1\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("folder=" + folder + "\n"), std::string::npos) << bytes;

    EXPECT_FALSE(StartProcess(temp.path() + "missing.exe", folder, "", error));
    EXPECT_EQ(error, 2);  // ERROR_FILE_NOT_FOUND, as the player's message shows it
}

TEST(Win32PlatformTest, FindsItselfAmongTheRunningProcesses) {
    const std::string self = platform::ModuleFilePath();
    ASSERT_GT(self.size(), 4u);
    EXPECT_EQ(self.substr(self.size() - 4), ".exe");
    EXPECT_TRUE(IsProcessRunning(self));
    std::string upper = self;
    for (char& c : upper)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    EXPECT_TRUE(IsProcessRunning(upper));
    EXPECT_FALSE(IsProcessRunning(self + ".not"));
}

TEST(Win32PlatformTest, TheNamedMutexIsHeldOnce) {
    const std::string name = "TolmTest" + std::to_string(platform::ModuleFilePath().size()) + "-" +
                             std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    EXPECT_TRUE(platform::ReserveSingleInstanceName(name, ""));
    EXPECT_FALSE(platform::ReserveSingleInstanceName(name, ""));
}

TEST(Win32PlatformTest, DesktopShortcutIsAShellLink) {
    TempFolder temp;
    const std::string title = kChinese + "Qorvane";
    platform::DesktopEntry entry;
    entry.name = title;
    entry.program = "C:\\QRVO\\Tolm\\Tolmqrvo.exe";
    ASSERT_TRUE(platform::WriteDesktopShortcut(temp.path(), title, entry));
    std::string bytes;
    ASSERT_TRUE(platform::ReadWholeFile(temp.path() + title + ".lnk", bytes));
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("L\0\0\0", 4));  // the shell link header size
    EXPECT_FALSE(platform::WriteDesktopShortcut(temp.path() + "missing", title, entry));
}

TEST(Win32PlatformTest, DiskSpaceOfAFolderStillToBeMade) {
    TempFolder temp;
    std::uint64_t free = 0;
    std::string drive;
    ASSERT_TRUE(platform::FreeDiskSpace(temp.path() + "not\\yet\\made\\", free, drive));
    EXPECT_GT(free, 0u);
    EXPECT_EQ(drive, temp.path().substr(0, 3));  // "X:\"
}

}  // namespace
