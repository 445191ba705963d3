#include "shell/InstallLocations.h"
#include "shell/ProcessControl.h"

#include "platform/DiskSpace.h"
#include "platform/SingleInstance.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace {

using testsupport::TempFolder;
using testsupport::WriteFileBytes;

// Reads what a child writes into the FIFO at `path` until the child closes it; waits on the
// pipe itself (at most 20 s without progress).
std::string ReadFromChild(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return "open failed";
    std::string text;
    struct pollfd wait {
        fd, POLLIN, 0
    };
    while (::poll(&wait, 1, 20000) > 0) {
        char buffer[512];
        ssize_t n = ::read(fd, buffer, sizeof(buffer));
        if (n > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 && !text.empty())
            break;
    }
    ::close(fd);
    return text;
}

TEST(ProcessControlTest, StartsTheExactFileWithoutShellOrSearchPath) {
    TempFolder temp;
    std::string folder = temp.path() + "my games/";
    std::filesystem::create_directories(folder + "work dir");
    std::string program = folder + "prog";
    WriteFileBytes(program, "#!/bin/sh\nprintf '%s|' \"$PWD\" \"$TOLM_TEST_VALUE\" \"$@\" > \"$PWD/fifo\"\n");
    ::chmod(program.c_str(), 0755);
    ASSERT_EQ(::mkfifo((folder + "work dir/fifo").c_str(), 0600), 0);
    ASSERT_EQ(::setenv("TOLM_TEST_VALUE", "inherited", 1), 0);
    int error = -1;
    ASSERT_TRUE(StartProcess(program, folder + "work dir", "A=1  B=x%20y $HOME;true", error));
    EXPECT_EQ(ReadFromChild(folder + "work dir/fifo"), folder + "work dir|inherited|A=1|B=x%20y|$HOME;true|");

    // A relative program is the one beside the caller's current folder, whatever the child's
    // working folder; an added variable replaces an inherited one.
    ASSERT_EQ(::chdir(folder.c_str()), 0);
    ASSERT_TRUE(StartProcess("./prog", "work dir", "", error, {"TOLM_TEST_VALUE=added"}));
    EXPECT_EQ(ReadFromChild(folder + "work dir/fifo"), folder + "work dir|added|");
    ::unsetenv("TOLM_TEST_VALUE");
}

TEST(ProcessControlTest, FailuresReportTheSystemErrorNumber) {
    TempFolder temp;
    int error = 0;
    EXPECT_FALSE(StartProcess(temp.path() + "missing", temp.path(), "", error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(StartProcess(temp.path() + "no/folder/prog", temp.path(), "", error));
    EXPECT_EQ(error, ENOENT);
    WriteFileBytes(temp.path() + "data.txt", "not a program");
    ::chmod((temp.path() + "data.txt").c_str(), 0644);
    EXPECT_FALSE(StartProcess(temp.path() + "data.txt", temp.path(), "", error));
    EXPECT_EQ(error, EACCES);
}

TEST(ProcessControlTest, FindsRunningProgramsIgnoringLetterCase) {
    std::string self = GetModulePath();
    EXPECT_TRUE(IsProcessRunning(self));
    std::string upper = self;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    EXPECT_TRUE(IsProcessRunning(upper));
    EXPECT_FALSE(IsProcessRunning(self + "-other-copy"));
    EXPECT_FALSE(IsProcessRunning(""));
}

TEST(ProcessControlTest, SingleInstanceNameIsReservedOnce) {
    testsupport::IsolatedHome home;
    EXPECT_TRUE(platform::ReserveSingleInstanceName("com.example.testMutex", home.userFolder()));
    EXPECT_FALSE(platform::ReserveSingleInstanceName("com.example.testMutex", home.userFolder()));
    EXPECT_TRUE(platform::ReserveSingleInstanceName("com.example.otherMutex", home.userFolder()));
}

TEST(ProcessControlTest, FreeSpaceOfAFolderThatDoesNotExistYet) {
    TempFolder temp;
    std::uint64_t free = 0;
    std::string mount;
    ASSERT_TRUE(platform::FreeDiskSpace(temp.path() + "not/yet/there/", free, mount));
    EXPECT_GT(free, 0u);
    EXPECT_EQ(temp.path().compare(0, mount.size(), mount), 0) << mount;
}

}  // namespace
