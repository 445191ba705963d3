// The launcher itself, as a player runs it: the real Tolmqrvo with its windows on a private Xvfb
// display (no window manager), nginx serving a published version on a free loopback port, the
// entrance program and the stand-in game as real processes. Questions are answered with real
// clicks (xdotool). Every wait is a bounded poll on a file, a window or a process.

#include "BackgroundProcess.h"
#include "XvfbDisplay.h"

#include "base/FileUtilities.h"
#include "resources/ResourceHash.h"
#include "shell/ProcessControl.h"
#include "support/ChildProcess.h"
#include "support/NginxServer.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

using e2e::BackgroundProcess;
using e2e::WindowRect;
using testsupport::PathExists;
using testsupport::ReadFileBytes;
using testsupport::RunChild;
using testsupport::WriteFileBytes;

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// The design sizes of the windows, for finding them among a launcher's windows.
constexpr int kBackgroundWidth = 987;
constexpr int kBoxContentWidth = 326;
constexpr int kBoxContentHeight = 148;

unsigned ModeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// "[YYYY-MM-DD HH:MM:SS] payload" lines, CR LF ended.
std::vector<std::string> LogPayloads(const std::string& path) {
    std::vector<std::string> payloads;
    const std::string text = ReadFileBytes(path);
    const std::regex line(R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] ([^\r\n]*)\r\n)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), line); it != std::sregex_iterator(); ++it)
        payloads.push_back((*it)[1].str());
    return payloads;
}

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.running()) << "Xvfb did not start";
        home.environment().Set("DISPLAY", display.name());
        home.environment().Unset("QT_QPA_PLATFORM");
        port = reserved.port();
        ASSERT_NE(port, 0);
        home.environment().Set("TOLM_NOTICE_URL", "http://127.0.0.1:" + std::to_string(port));
        base = work.path();
        root = home.home() + "QRVO/Tolm/";
        fs::create_directories(home.home() + "Desktop");

        // A small game with the stand-in game executable, which records how it was started.
        WriteFileBytes(base + "game/data/ships/cruiser.mdl", std::string(300000, 'c') + "end");
        WriteFileBytes(base + "game/data/音乐/主题曲.ogg", std::string(70000, 'm'));
        WriteFileBytes(base + "game/readme.txt", "Welcome aboard.\n");
        fs::copy_file(QRVO_GAME, base + "game/qrvo_game");
    }

    int Pack(bool withLauncherFiles, const std::string& version = "v1") {
        std::vector<std::string> argv = {
            TOLM_PACK, "--game",       base + "game",
            "--out",   base + "cdn",   "--version",
            version,   "--url-prefix", "http://127.0.0.1:" + std::to_string(port) + "/cdn/"};
        if (withLauncherFiles) {
            // The launcher's own files as operators publish them: this very launcher and the
            // entrance program, unless a test prepared others.
            if (!fs::exists(base + "launcher")) {
                fs::create_directories(base + "launcher");
                fs::copy_file(TOLM_LAUNCHER, base + "launcher/Tolmqrvo");
                fs::copy_file(TOLM_ENTRANCE, base + "launcher/tolm-entrance");
            }
            argv.insert(argv.end(), {"--launcher", base + "launcher"});
        }
        std::string output;
        const int status = RunChild(argv, &output);
        EXPECT_EQ(status, 0) << output;
        return status;
    }

    std::unique_ptr<BackgroundProcess> StartLauncher(const std::string& name) {
        return std::make_unique<BackgroundProcess>(
            std::vector<std::string>{TOLM_LAUNCHER, std::string("ENTRANCE=") + TOLM_ENTRANCE}, base + name + ".out");
    }

    // The stand-in game wrote its whole record (the file exists a moment before its lines do).
    bool GameRecorded() const {
        const std::string record = ReadFileBytes(root + "game/launch_record.txt");
        return record.find("\nfolder=") != std::string::npos && record.back() == '\n';
    }

    // A launcher update as the player goes through it: `argv` starts a launcher that finds the
    // published launcher files, the player acknowledges the restart notice, and the launcher
    // restarted from the game root fetches the game and starts it.
    void GoThroughLauncherUpdate(const std::vector<std::string>& argv,
                                 const std::string& name,
                                 const std::string& workingFolder = std::string()) {
        const auto gameBefore = testsupport::SnapshotFiles(root + "game");
        BackgroundProcess launcher(argv, base + name + ".out", workingFolder);
        WindowRect notice;
        double scale = 1;
        ASSERT_TRUE(WaitForQuestion(launcher.pid(), 60000, notice, scale)) << launcher.Output();
        KeepScreenshot("launcher_update_notice.png");
        EXPECT_EQ(testsupport::SnapshotFiles(root + "game"), gameBefore) << "no game file before the restart";
        EXPECT_EQ(ReadFileBytes(root + "launcher.tmp").substr(0, 1), "\1") << "a complete journal waits";
        ClickButton(notice, scale, 1, true);
        int status = -1;
        ASSERT_TRUE(launcher.WaitForExit(10000, status)) << launcher.Output();
        EXPECT_EQ(status, 0);
        ASSERT_TRUE(WaitUntil([&] { return GameRecorded(); }, 60000)) << launcher.Output();
        ASSERT_TRUE(WaitUntil([&] { return !IsProcessRunning(root + "Tolmqrvo"); }, 10000))
            << "the restarted launcher ends itself after starting the game";
        EXPECT_FALSE(PathExists(root + "launcher.tmp"));
        ExpectStartedGame(root + "Tolmqrvo");
    }

    // The scale of the windows, from the background's width.
    double Scale(const std::vector<WindowRect>& windows) const {
        int widest = 0;
        for (const WindowRect& w : windows)
            widest = std::max(widest, w.width);
        return widest > 0 ? static_cast<double>(widest) / kBackgroundWidth : 1.0;
    }

    // The content window of the launcher's open question, once it shows.
    // A box without the window group (`alone`) has no background to take the scale from: `scale`
    // then comes from an earlier question.
    bool WaitForQuestion(pid_t pid, int timeoutMs, WindowRect& content, double& scale, bool alone = false) {
        return WaitUntil(
            [&] {
                const std::vector<WindowRect> windows = display.WindowsOf(pid);
                if (!alone)
                    scale = Scale(windows);
                for (const WindowRect& w : windows) {
                    if (std::abs(w.width - kBoxContentWidth * scale) <= 2 &&
                        std::abs(w.height - kBoxContentHeight * scale) <= 2) {
                        content = w;
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
    }

    // Where a box's buttons are, in its content window: the first at (12, 91)-(149, 138), the
    // second at (172, 91)-(309, 138), a lone first button centred.
    void ClickButton(const WindowRect& content, double scale, int button, bool alone) {
        const int y = content.y + static_cast<int>(114.5 * scale);
        int x = content.x + static_cast<int>((button == 1 ? 80.5 : 240.5) * scale);
        if (alone)
            x = content.x + content.width / 2;
        EXPECT_TRUE(display.Click(x, y));
    }

    void KeepScreenshot(const char* name) {
        const char* folder = std::getenv("TOLM_SCREENSHOT_DIR");
        if (folder && *folder)
            display.Screenshot(std::string(folder) + "/" + name);
    }

    // The game's launch parameters as the stand-in game recorded them.
    std::map<std::string, std::string> LaunchParameters(std::string& commandLine) {
        const std::string record = ReadFileBytes(root + "game/launch_record.txt");
        const std::size_t start = record.find("command=") + 8;
        commandLine = record.substr(start, record.find('\n', start) - start);
        std::map<std::string, std::string> values;
        std::istringstream tokens(commandLine);
        std::string token;
        tokens >> token;  // the program
        EXPECT_EQ(token, root + "game/qrvo_game");
        while (tokens >> token)
            values[token.substr(0, token.find('='))] = token.substr(token.find('=') + 1);
        EXPECT_NE(record.find("folder=" + root + "game\n"), std::string::npos) << record;
        return values;
    }

    void ExpectStartedGame(const std::string& entrance) {
        std::string commandLine;
        auto values = LaunchParameters(commandLine);
        EXPECT_EQ(values["ENTRANCE"], entrance);
        EXPECT_TRUE(std::regex_match(values["DEVICE_ID"], std::regex("([0-9A-F]{32})?"))) << values["DEVICE_ID"];
        EXPECT_EQ(values["RESOURCE_HASH"], ComputeResourceHash(root));
        EXPECT_EQ(values["RESOURCE_HASH"].size(), 32u);
        EXPECT_EQ(values["LOGIN_DATA"], "YXV0aF9rZXk9LHVpZD0sZXh0cmFJbmZvPQ==");
        EXPECT_EQ(values["PLATFORM"], "1");
        EXPECT_EQ(values.size(), 5u) << commandLine;
        EXPECT_EQ(LogPayloads(home.userFolder() + "QRVOLog.txt"),
                  (std::vector<std::string>{"1126", "CMainForegroundDialog::OpenGame",
                                            commandLine.substr(commandLine.find(' ') + 1)}));
    }

    e2e::XvfbDisplay display;
    testsupport::IsolatedHome home;
    testsupport::TempFolder work;
    testsupport::ReservedPort reserved;
    int port = 0;
    std::string base;
    std::string root;
};

TEST_F(LauncherTest, AnEmptyRootIsBroughtUpToDateAndTheGameStarted) {
    ASSERT_EQ(Pack(false), 0);
    testsupport::NginxServer server(base + "cdn", "v1", port);
    ASSERT_TRUE(server.running());

    auto launcher = StartLauncher("launcher");
    ASSERT_TRUE(launcher->started());
    ASSERT_TRUE(WaitUntil([&] { return GameRecorded(); }, 60000)) << launcher->Output();
    int status = -1;
    ASSERT_TRUE(launcher->WaitForExit(10000, status)) << "the launcher ends itself after starting the game";
    EXPECT_EQ(status, 0);

    ExpectStartedGame(fs::canonical(TOLM_LAUNCHER).string());
    auto installed = testsupport::SnapshotFiles(root + "game");
    installed.erase("launch_record.txt");
    EXPECT_EQ(installed, testsupport::SnapshotFiles(base + "game"));
    EXPECT_EQ(ModeOf(root + "game/qrvo_game"), 0755u);

    // The per-user copy of the launcher and the desktop link to it.
    const std::string copy = home.userFolder() + "Tolmqrvo";
    EXPECT_EQ(ReadFileBytes(copy), ReadFileBytes(TOLM_LAUNCHER));
    EXPECT_EQ(ModeOf(copy), 0755u);
    const std::string link = ReadFileBytes(home.home() + "Desktop/官网Qorvane.desktop");
    EXPECT_NE(link.find("Type=Application\n"), std::string::npos) << link;
    EXPECT_NE(link.find("Exec=\"" + copy + "\"\n"), std::string::npos) << link;
    EXPECT_EQ(ModeOf(home.home() + "Desktop/官网Qorvane.desktop"), 0755u);

    // The launcher carries its version where the update-address request reads it.
    FileVersion version;
    ASSERT_TRUE(GetFileVersion(TOLM_LAUNCHER, version));
    EXPECT_EQ(std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
                  std::to_string(version.build) + "." + std::to_string(version.revision),
              "1.0.0.1");
}

TEST_F(LauncherTest, TheDesktopRepairActionFetchesTheDamagedFileAloneAndSaysSoBeforeTheGame) {
    ASSERT_EQ(Pack(false), 0);
    testsupport::NginxServer server(base + "cdn", "v1", port);
    ASSERT_TRUE(server.running());
    auto launcher = StartLauncher("launcher");
    ASSERT_TRUE(WaitUntil([&] { return GameRecorded(); }, 60000)) << launcher->Output();
    int status = -1;
    ASSERT_TRUE(launcher->WaitForExit(10000, status));
    fs::remove(root + "game/launch_record.txt");

    // A changed byte the version file knows nothing of; every other file keeps its inode unless
    // it is fetched again (a fetched file is renamed over its target).
    const std::string damaged = root + "game/data/ships/cruiser.mdl";
    std::string bytes = ReadFileBytes(damaged);
    bytes[1000] = 'X';
    WriteFileBytes(damaged, bytes);
    std::map<std::string, ino_t> inodes;
    for (const auto& entry : fs::recursive_directory_iterator(root + "game")) {
        struct stat info {};
        if (entry.is_regular_file() && entry.path() != damaged && ::stat(entry.path().c_str(), &info) == 0)
            inodes[entry.path().string()] = info.st_ino;
    }

    // The desktop link's repair action, as the desktop runs it.
    const std::string link = ReadFileBytes(home.home() + "Desktop/官网Qorvane.desktop");
    std::smatch action;
    ASSERT_TRUE(std::regex_search(
        link, action,
        std::regex("\n\\[Desktop Action repair\\]\nName=修复游戏文件\nExec=\"([^\"]*)\" \"(--repair)\"\n")))
        << link;
    BackgroundProcess repair({action[1].str(), action[2].str()}, base + "repair.out");
    WindowRect summary;
    double scale = 1;
    ASSERT_TRUE(WaitForQuestion(repair.pid(), 60000, summary, scale)) << repair.Output();
    KeepScreenshot("repair_summary.png");
    EXPECT_FALSE(GameRecorded()) << "the game waits until the player has read what the repair did";
    EXPECT_EQ(ReadFileBytes(damaged), std::string(300000, 'c') + "end");
    ClickButton(summary, scale, 1, true);
    ASSERT_TRUE(WaitUntil([&] { return GameRecorded(); }, 60000)) << repair.Output();
    ASSERT_TRUE(repair.WaitForExit(10000, status));
    EXPECT_EQ(status, 0);
    for (const auto& [path, inode] : inodes) {
        struct stat info {};
        EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
        EXPECT_EQ(info.st_ino, inode) << path << " was fetched again";
    }
    auto installed = testsupport::SnapshotFiles(root + "game");
    installed.erase("launch_record.txt");
    EXPECT_EQ(installed, testsupport::SnapshotFiles(base + "game"));
}

TEST_F(LauncherTest, ALauncherUpdateRestartsThroughARelativeEntranceBeforeTheGame) {
    ASSERT_EQ(Pack(true), 0);
    testsupport::NginxServer server(base + "cdn", "v1", port);
    ASSERT_TRUE(server.running());

    // ENTRANCE relative to the launcher's starting folder; this entrance program notes that it
    // ran, so a fall back on the one beside the launcher cannot pass for it.
    const std::string start = base + "start/";
    WriteFileBytes(start + "bin/tolm-entrance",
                   std::string("#!/bin/sh\necho ran >> \"$0.ran\"\nexec '") + TOLM_ENTRANCE + "' \"$@\"\n");
    fs::permissions(start + "bin/tolm-entrance", fs::perms(0755));
    ASSERT_NO_FATAL_FAILURE(GoThroughLauncherUpdate({TOLM_LAUNCHER, "ENTRANCE=bin/tolm-entrance"}, "launcher", start));
    // The entrance program put the new files in place and started the launcher from the root.
    EXPECT_EQ(ReadFileBytes(root + "Tolmqrvo"), ReadFileBytes(TOLM_LAUNCHER));
    EXPECT_EQ(ModeOf(root + "Tolmqrvo"), 0755u);
    EXPECT_EQ(ReadFileBytes(root + "tolm-entrance"), ReadFileBytes(TOLM_ENTRANCE));
    EXPECT_EQ(ReadFileBytes(start + "bin/tolm-entrance.ran"), "ran\n");
    // The per-user copy now follows the restarted launcher.
    EXPECT_EQ(ReadFileBytes(home.userFolder() + "Tolmqrvo"), ReadFileBytes(root + "Tolmqrvo"));
}

TEST_F(LauncherTest, AStoppedServerAsksToRetryAndASecondLauncherStaysWindowless) {
    ASSERT_EQ(Pack(false), 0);
    // Nobody listens on the port: the update-address request fails after its attempts.
    auto launcher = StartLauncher("launcher");
    WindowRect question;
    double scale = 1;
    ASSERT_TRUE(WaitForQuestion(launcher->pid(), 90000, question, scale)) << launcher->Output();
    KeepScreenshot("launcher_retry_question.png");

    // A second launcher meanwhile: no window, no question, it ends by itself; it still clears an
    // earlier launch log.
    WriteFileBytes(home.userFolder() + "QRVOLog.txt", "[2020-01-01 00:00:00] 1126\r\n");
    auto second = StartLauncher("second");
    int status = -1;
    ASSERT_TRUE(second->WaitForExit(20000, status)) << second->Output();
    EXPECT_EQ(status, 0);
    EXPECT_NE(second->Output().find("另一个Launcher正在运行，不显示窗口"), std::string::npos) << second->Output();
    EXPECT_FALSE(PathExists(home.userFolder() + "QRVOLog.txt"));
    EXPECT_TRUE(launcher->Running());

    // "退出" ends the first launcher with exit code 0.
    ClickButton(question, scale, 2, false);
    ASSERT_TRUE(launcher->WaitForExit(10000, status)) << launcher->Output();
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(PathExists(root + "game"));
}

TEST_F(LauncherTest, ARunningGameKeepsTheWindowAwayUnlessTheLauncherWasRestarted) {
    // A game that runs for a while under the game's path.
    fs::create_directories(root + "game");
    fs::copy_file("/bin/sleep", root + "game/qrvo_game");
    BackgroundProcess game({root + "game/qrvo_game", "120"}, base + "game.out");
    ASSERT_TRUE(WaitUntil([&] { return IsProcessRunning(root + "game/qrvo_game"); }, 5000));

    auto launcher = StartLauncher("launcher");
    int status = -1;
    ASSERT_TRUE(launcher->WaitForExit(20000, status)) << launcher->Output();
    EXPECT_EQ(status, 0);
    EXPECT_NE(launcher->Output().find("游戏正在运行，不显示窗口"), std::string::npos) << launcher->Output();

    // Restarted after a launcher update, it shows its window and waits for the game.
    BackgroundProcess restarted({TOLM_LAUNCHER, "LAUNCHER_REBOOT=TRUE", std::string("ENTRANCE=") + TOLM_ENTRANCE},
                                base + "restarted.out");
    // Host, background and foreground.
    ASSERT_TRUE(WaitUntil([&] { return display.WindowsOf(restarted.pid()).size() >= 3; }, 20000)) << restarted.Output();
    if (std::getenv("TOLM_SCREENSHOT_DIR")) {
        // One game-watch tick, so the picture shows what the player reads while waiting.
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        KeepScreenshot("launcher_waiting_for_game.png");
    }
    EXPECT_TRUE(restarted.Running());
}

TEST_F(LauncherTest, ARestartedLauncherWaitsAMomentForItsPredecessorToLetGo) {
    // The predecessor still holds the single-instance name when the restarted launcher starts.
    fs::create_directories(home.userFolder());
    const std::string lockPath = home.userFolder() + "com.pemto.qrvo.pc.tolmTolmVOGameMutex.lock";
    int held = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);

    BackgroundProcess restarted({TOLM_LAUNCHER, "LAUNCHER_REBOOT=TRUE", std::string("ENTRANCE=") + TOLM_ENTRANCE},
                                base + "restarted.out");
    int status = -1;
    EXPECT_FALSE(restarted.WaitForExit(500, status)) << "it does not give up at once";
    ::close(held);  // the predecessor ends
    ASSERT_TRUE(WaitUntil([&] { return display.WindowsOf(restarted.pid()).size() >= 3; }, 20000)) << restarted.Output();
}

TEST_F(LauncherTest, ALockFileInTmpHeldByAnotherProcessDoesNotKeepTheWindowAway) {
    // Where the reservation used to be without a runtime folder: anyone could make and hold it.
    const std::string lockPath = "/tmp/com.pemto.qrvo.pc.tolmTolmVOGameMutex-" + std::to_string(::getuid()) + ".lock";
    const bool existed = PathExists(lockPath);
    int held = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    home.environment().Unset("XDG_RUNTIME_DIR");

    auto launcher = StartLauncher("launcher");
    // Host, background and foreground.
    EXPECT_TRUE(WaitUntil([&] { return display.WindowsOf(launcher->pid()).size() >= 3; }, 20000)) << launcher->Output();
    ::close(held);
    if (!existed)
        ::unlink(lockPath.c_str());
}

TEST_F(LauncherTest, TheInstalledLauncherAndItsDesktopLinkUpdateThemselvesWithoutArguments) {
    ASSERT_EQ(Pack(true), 0);
    auto server = std::make_unique<testsupport::NginxServer>(base + "cdn", "v1", port);
    ASSERT_TRUE(server->running());
    const std::string prefix = base + "prefix";
    std::string output;
    ASSERT_EQ(RunChild({CMAKE_COMMAND, "--install", TOLM_BUILD_DIR, "--prefix", prefix}, &output), 0) << output;

    // Installed, started from a menu: no ENTRANCE, so the entrance program installed with it.
    ASSERT_NO_FATAL_FAILURE(GoThroughLauncherUpdate({prefix + "/bin/Tolmqrvo"}, "installed"));
    EXPECT_EQ(ReadFileBytes(root + "Tolmqrvo"), ReadFileBytes(TOLM_LAUNCHER));
    // The per-user copy has the entrance program beside it.
    EXPECT_EQ(ReadFileBytes(home.userFolder() + "tolm-entrance"), ReadFileBytes(TOLM_ENTRANCE));
    EXPECT_EQ(ModeOf(home.userFolder() + "tolm-entrance"), 0755u);
    // The desktop's icon name resolves in the player's own icon theme.
    EXPECT_EQ(ReadFileBytes(home.home() + ".local/share/icons/hicolor/48x48/apps/tolmqrvo.png"),
              ReadFileBytes(prefix + "/share/icons/hicolor/48x48/apps/tolmqrvo.png"));

    // A second launcher version, started the way the desktop link starts the per-user copy.
    WriteFileBytes(base + "launcher/Tolmqrvo", ReadFileBytes(TOLM_LAUNCHER) + "second launcher version");
    ASSERT_EQ(Pack(true, "v2"), 0);
    server.reset();  // one server on the port at a time
    server = std::make_unique<testsupport::NginxServer>(base + "cdn", "v2", port);
    ASSERT_TRUE(server->running());
    fs::remove(root + "game/launch_record.txt");
    const std::string link = ReadFileBytes(home.home() + "Desktop/官网Qorvane.desktop");
    std::smatch exec;
    ASSERT_TRUE(std::regex_search(link, exec, std::regex("\nExec=\"([^\"]*)\"\n"))) << link;
    EXPECT_EQ(exec[1].str(), home.userFolder() + "Tolmqrvo");
    ASSERT_NO_FATAL_FAILURE(GoThroughLauncherUpdate({exec[1].str()}, "desktop-link"));
    EXPECT_EQ(ReadFileBytes(root + "Tolmqrvo"), ReadFileBytes(base + "launcher/Tolmqrvo"));
}

TEST_F(LauncherTest, TheDebianPackageUnpackedIntoAScratchRootUpdatesTheSameWay) {
    ASSERT_EQ(Pack(true), 0);
    testsupport::NginxServer server(base + "cdn", "v1", port);
    ASSERT_TRUE(server.running());
    std::string output;
    ASSERT_EQ(
        RunChild({CPACK_COMMAND, "-G", "DEB", "--config", TOLM_BUILD_DIR "/CPackConfig.cmake", "-B", base + "package"},
                 &output),
        0)
        << output;
    std::string deb;
    for (const auto& entry : fs::directory_iterator(base + "package"))
        if (entry.path().extension() == ".deb")
            deb = entry.path().string();
    ASSERT_FALSE(deb.empty()) << output;
    // Debian's package checker finds no error in it (warnings: no manual pages).
    EXPECT_EQ(RunChild({"/usr/bin/lintian", "--fail-on", "error", deb}, &output), 0) << output;
    const std::string scratch = base + "scratch";
    ASSERT_EQ(RunChild({"/usr/bin/dpkg", "-x", deb, scratch}, &output), 0) << output;

    // The menu entry starts the installed launcher, carries the icon and passes the desktop's check.
    const std::string menu = scratch + "/usr/share/applications/tolmqrvo.desktop";
    const std::string entry = ReadFileBytes(menu);
    EXPECT_NE(entry.find("\nExec=\"/usr/bin/Tolmqrvo\"\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=tolmqrvo\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nStartupWMClass=Tolmqrvo\n"), std::string::npos) << entry;
    EXPECT_EQ(RunChild({"/usr/bin/desktop-file-validate", menu}, &output), 0) << output;
    for (const char* size : {"16x16", "32x32", "48x48", "256x256"})
        EXPECT_TRUE(PathExists(scratch + "/usr/share/icons/hicolor/" + size + "/apps/tolmqrvo.png")) << size;

    ASSERT_NO_FATAL_FAILURE(GoThroughLauncherUpdate({scratch + "/usr/bin/Tolmqrvo"}, "package"));
    // The restart went through the package's own entrance program (the same program, stripped).
    EXPECT_EQ(ReadFileBytes(home.userFolder() + "tolm-entrance"), ReadFileBytes(scratch + "/usr/bin/tolm-entrance"));
}

TEST_F(LauncherTest, AMissingRestartedLauncherEndsInAMessageThePlayerSees) {
    // Launcher files that hold no launcher: after the journal the game root has none to start.
    fs::create_directories(base + "launcher");
    fs::copy_file(TOLM_ENTRANCE, base + "launcher/tolm-entrance");
    ASSERT_EQ(Pack(true), 0);
    testsupport::NginxServer server(base + "cdn", "v1", port);
    ASSERT_TRUE(server.running());

    auto launcher = StartLauncher("launcher");
    WindowRect notice;
    double scale = 1;
    ASSERT_TRUE(WaitForQuestion(launcher->pid(), 60000, notice, scale)) << launcher->Output();
    // The windows carry the launcher's class and icon.
    const std::string properties =
        display.Properties(notice, {"-f", "_NET_WM_ICON", "32c", " $0x$1\n", "WM_CLASS", "_NET_WM_ICON"});
    EXPECT_NE(properties.find("WM_CLASS = \"Tolmqrvo\", \"Tolmqrvo\""), std::string::npos) << properties;
    EXPECT_TRUE(std::regex_search(properties, std::regex("_NET_WM_ICON [1-9][0-9]*x[1-9][0-9]*"))) << properties;
    ClickButton(notice, scale, 1, true);
    int status = -1;
    ASSERT_TRUE(launcher->WaitForExit(10000, status)) << launcher->Output();

    // The entrance program starts the calling launcher again, which says what failed.
    const std::string launcherPath = fs::canonical(TOLM_LAUNCHER).string();
    pid_t reporter = -1;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const auto& entry : fs::directory_iterator("/proc")) {
                std::error_code error;
                const std::string name = entry.path().filename().string();
                if (name.find_first_not_of("0123456789") != std::string::npos ||
                    fs::read_symlink(entry.path() / "exe", error).string() != launcherPath || error)
                    continue;
                std::string arguments = ReadFileBytes(entry.path().string() + "/cmdline");
                std::replace(arguments.begin(), arguments.end(), '\0', ' ');
                if (arguments.find(" LAUNCHER_REBOOT=TRUE RESTART_FAILED=2 ") != std::string::npos)
                    reporter = std::stoi(name);
            }
            return reporter > 0;
        },
        20000))
        << launcher->Output();
    WindowRect message;
    ASSERT_TRUE(WaitForQuestion(reporter, 20000, message, scale, true)) << launcher->Output();
    KeepScreenshot("launcher_restart_failed.png");
    const std::string output = launcher->Output();
    EXPECT_NE(output.find("tolm-entrance: cannot start " + root + "Tolmqrvo: No such file or directory"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("重启Launcher失败，错误代码:2"), std::string::npos) << output;
    ClickButton(message, scale, 1, true);
    EXPECT_TRUE(WaitUntil([&] { return ::kill(reporter, 0) != 0; }, 10000)) << "it ends once the player read it";
    EXPECT_FALSE(PathExists(root + "game/launch_record.txt"));
}

}  // namespace
