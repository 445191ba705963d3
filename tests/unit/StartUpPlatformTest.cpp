#include "platform/DesktopShortcut.h"
#include "platform/FileSystem.h"
#include "platform/SingleInstance.h"
#include "shell/LauncherDesktopEntry.h"

#include "support/ChildProcess.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

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
        ASSERT_TRUE(platform::WriteDesktopShortcut(desktop.path(), "官网Qorvane", LauncherDesktopEntry(c.target)))
            << c.target;
        const std::string path = desktop.path() + "官网Qorvane.desktop";
        EXPECT_EQ(ReadFileBytes(path), std::string("[Desktop Entry]\nType=Application\nName=官网Qorvane\nExec=") +
                                           c.exec +
                                           "\nIcon=tolmqrvo\nTerminal=false\nStartupWMClass=Tolmqrvo\n"
                                           "Categories=Game;\nActions=repair;\n\n"
                                           "[Desktop Action repair]\nName=修复游戏文件\nExec=" +
                                           c.exec + " \"--repair\"\n")
            << c.target;
        EXPECT_EQ(ModeOf(path), 0755u);
    }
}

TEST(DesktopShortcut, ActionsRunTheSameProgramWithTheirArgumentsAndTheEntryValidates) {
    platform::DesktopEntry entry = LauncherDesktopEntry("/home/ann/My Games/Tolmqrvo");
    entry.actions.push_back({"check", "检查 $文件", {"--check", "50%"}});
    const std::string text = platform::FormatDesktopEntry(entry);
    EXPECT_NE(text.find("\nActions=repair;check;\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n\n[Desktop Action check]\nName=检查 $文件\n"
                        R"(Exec="/home/ann/My Games/Tolmqrvo" "--check" "50%%")"
                        "\n"),
              std::string::npos)
        << text;

    // The desktop's own checker accepts the entry, with the repair action alone and with another.
    testsupport::TempFolder folder;
    for (const platform::DesktopEntry& e : {LauncherDesktopEntry("/opt/a b/Tolmqrvo"), entry}) {
        WriteFileBytes(folder.path() + "tolmqrvo.desktop", platform::FormatDesktopEntry(e));
        std::string output;
        EXPECT_EQ(
            testsupport::RunChild({"/usr/bin/desktop-file-validate", folder.path() + "tolmqrvo.desktop"}, &output), 0)
            << output;
        EXPECT_EQ(output, "");
    }
}

TEST(DesktopShortcut, NothingIsWrittenWithoutADesktopFolder) {
    testsupport::TempFolder home;
    EXPECT_FALSE(
        platform::WriteDesktopShortcut(home.path() + "Desktop", "官网Qorvane", LauncherDesktopEntry("/x/Tolmqrvo")));
    EXPECT_FALSE(testsupport::PathExists(home.path() + "Desktop"));
    EXPECT_FALSE(platform::WriteDesktopShortcut("", "官网Qorvane", LauncherDesktopEntry("/x/Tolmqrvo")));
}

TEST(SingleInstance, AReservationThatCannotBeMadeDoesNotKeepTheLauncherAway) {
    testsupport::TempFolder folder;
    // A regular file where the folder should be: no lock file can be made there.
    WriteFileBytes(folder.path() + "not-a-folder", "");
    EXPECT_TRUE(platform::ReserveSingleInstanceName("com.example.unusableMutex", folder.path() + "not-a-folder"));
    EXPECT_TRUE(platform::ReserveSingleInstanceName("com.example.unusableMutex", folder.path() + "not-a-folder"));
}

TEST(SingleInstance, OnlyThisUsersOwnFolderAndFileCarryTheReservation) {
    testsupport::TempFolder base;
    // A missing folder is made private; the reservation then holds against a second taker.
    const std::string made = base.path() + "data/QRVO_PC/Tolm";
    EXPECT_TRUE(platform::ReserveSingleInstanceName("com.example.mutex", made));
    EXPECT_EQ(ModeOf(made), 0700u);
    EXPECT_EQ(ModeOf(made + "/com.example.mutex.lock"), 0600u);
    EXPECT_FALSE(platform::ReserveSingleInstanceName("com.example.mutex", made));

    // Places another user could have prepared: never used, so never held against this user.
    const std::string shared = base.path() + "shared";
    std::filesystem::create_directories(shared);
    ::chmod(shared.c_str(), 01777);
    const std::string linked = base.path() + "linked";
    std::filesystem::create_directories(linked);
    std::filesystem::create_symlink(made + "/com.example.mutex.lock", linked + "/com.example.mutex.lock");
    std::vector<std::string> unusable = {shared, linked};
    if (::geteuid() == 0) {
        // Only root can give a lock file away to another user.
        const std::string foreign = base.path() + "foreign";
        std::filesystem::create_directories(foreign);
        WriteFileBytes(foreign + "/com.example.mutex.lock", "");
        ASSERT_EQ(::chown((foreign + "/com.example.mutex.lock").c_str(), 65534, 65534), 0);
        unusable.push_back(foreign);
    }
    for (const std::string& folder : unusable) {
        EXPECT_TRUE(platform::ReserveSingleInstanceName("com.example.mutex", folder)) << folder;
        EXPECT_TRUE(platform::ReserveSingleInstanceName("com.example.mutex", folder)) << folder;
    }
    EXPECT_FALSE(testsupport::PathExists(shared + "/com.example.mutex.lock"));
}

}  // namespace
