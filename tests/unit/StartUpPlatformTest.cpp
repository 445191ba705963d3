#include "platform/DesktopShortcut.h"
#include "platform/FileSystem.h"
#include "platform/SingleInstance.h"

#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace {

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

unsigned ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(CopyFileNoReplace, CopiesBytesAndModeAndNeverOverwrites) {
    testsupport::TempFolder folder;
    const std::string program = folder.path() + "Tolmqrvo";
    std::string bytes(
        "\x7f"
        "ELF",
        4);
    bytes += std::string(200000, '\0') + "end";
    WriteFileBytes(program, bytes);
    ::chmod(program.c_str(), 0755);
    const mode_t oldMask = ::umask(077);  // a strict umask must not take the execute bits away

    const std::string copy = folder.path() + "copy/Tolmqrvo";
    std::filesystem::create_directories(folder.path() + "copy");
    EXPECT_TRUE(platform::CopyFileNoReplace(program, copy));
    ::umask(oldMask);
    EXPECT_EQ(ReadFileBytes(copy), bytes);
    EXPECT_EQ(ModeOf(copy), 0755u);

    // An existing target stays as it is.
    WriteFileBytes(copy, "older launcher");
    EXPECT_FALSE(platform::CopyFileNoReplace(program, copy));
    EXPECT_EQ(ReadFileBytes(copy), "older launcher");

    // A missing source or target folder leaves nothing behind.
    EXPECT_FALSE(platform::CopyFileNoReplace(folder.path() + "missing", folder.path() + "copy/other"));
    EXPECT_FALSE(testsupport::PathExists(folder.path() + "copy/other"));
    EXPECT_FALSE(platform::CopyFileNoReplace(program, folder.path() + "no-such-folder/Tolmqrvo"));
}

TEST(DesktopShortcut, ALinkThatRunsTheTargetWhateverItsPathHolds) {
    testsupport::TempFolder desktop;
    const struct {
        const char* target;
        const char* exec;
    } cases[] = {
        {"/home/ann/.local/share/QRVO_PC/Tolm/Tolmqrvo", R"("/home/ann/.local/share/QRVO_PC/Tolm/Tolmqrvo")"},
        {"/home/ann/My Games/Tolmqrvo", R"("/home/ann/My Games/Tolmqrvo")"},
        // Quoting escapes " ` $ \ with a backslash, field codes double %, and the value escapes
        // then double every backslash.
        {"/opt/a\"b`c$d\\e%f/Tolmqrvo", R"("/opt/a\\"b\\`c\\$d\\\\e%%f/Tolmqrvo")"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(platform::WriteDesktopShortcut(desktop.path(), "官网Qorvane", c.target)) << c.target;
        const std::string path = desktop.path() + "官网Qorvane.desktop";
        EXPECT_EQ(ReadFileBytes(path), std::string("[Desktop Entry]\nType=Application\nName=官网Qorvane\nExec=") +
                                           c.exec + "\nTerminal=false\n")
            << c.target;
        EXPECT_EQ(ModeOf(path), 0755u);
    }
}

TEST(DesktopShortcut, NothingIsWrittenWithoutADesktopFolder) {
    testsupport::TempFolder home;
    EXPECT_FALSE(platform::WriteDesktopShortcut(home.path() + "Desktop", "官网Qorvane", "/x/Tolmqrvo"));
    EXPECT_FALSE(testsupport::PathExists(home.path() + "Desktop"));
    EXPECT_FALSE(platform::WriteDesktopShortcut("", "官网Qorvane", "/x/Tolmqrvo"));
}

TEST(SingleInstance, AReservationThatCannotBeMadeDoesNotKeepTheLauncherAway) {
    testsupport::IsolatedHome home;
    // A regular file where the runtime folder should be: no lock file can be made there.
    const std::string notAFolder = home.home() + "runtime-file";
    WriteFileBytes(notAFolder, "");
    home.environment().Set("XDG_RUNTIME_DIR", notAFolder);
    EXPECT_TRUE(platform::ReserveSingleInstanceName("com.example.unusableMutex"));
    EXPECT_TRUE(platform::ReserveSingleInstanceName("com.example.unusableMutex"));
}

}  // namespace
