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

    int Pack(bool withLauncherFiles) {
        std::vector<std::string> argv = {
            TOLM_PACK, "--game",       base + "game",
            "--out",   base + "cdn",   "--version",
            "v1",      "--url-prefix", "http://127.0.0.1:" + std::to_string(port) + "/cdn/"};
        if (withLauncherFiles) {
            // The launcher's own files as operators publish them: this very launcher and the
            // entrance program.
            fs::create_directories(base + "launcher");
            fs::copy_file(TOLM_LAUNCHER, base + "launcher/Tolmqrvo");
            fs::copy_file(TOLM_ENTRANCE, base + "launcher/tolm-entrance");
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

    // The scale of the windows, from the background's width.
    double Scale(const std::vector<WindowRect>& windows) const {
        int widest = 0;
        for (const WindowRect& w : windows)
            widest = std::max(widest, w.width);
        return widest > 0 ? static_cast<double>(widest) / kBackgroundWidth : 1.0;
    }

    // The content window of the launcher's open question, once it shows.
    bool WaitForQuestion(pid_t pid, int timeoutMs, WindowRect& content, double& scale) {
        return WaitUntil(
            [&] {
                const std::vector<WindowRect> windows = display.WindowsOf(pid);
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
    ASSERT_TRUE(WaitUntil([&] { return PathExists(root + "game/launch_record.txt"); }, 60000)) << launcher->Output();
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

TEST_F(LauncherTest, ALauncherUpdateRestartsThroughTheEntranceProgramBeforeTheGame) {
    ASSERT_EQ(Pack(true), 0);
    testsupport::NginxServer server(base + "cdn", "v1", port);
    ASSERT_TRUE(server.running());

    auto launcher = StartLauncher("launcher");
    // Launcher files first: the notice that the launcher restarts, acknowledged by a click.
    WindowRect notice;
    double scale = 1;
    ASSERT_TRUE(WaitForQuestion(launcher->pid(), 60000, notice, scale)) << launcher->Output();
    KeepScreenshot("launcher_update_notice.png");
    EXPECT_FALSE(PathExists(root + "game")) << "no game resource is fetched before the restart";
    EXPECT_EQ(ReadFileBytes(root + "launcher.tmp").substr(0, 1), "\1") << "a complete journal waits";
    ClickButton(notice, scale, 1, true);
    int status = -1;
    ASSERT_TRUE(launcher->WaitForExit(10000, status)) << launcher->Output();
    EXPECT_EQ(status, 0);

    // The entrance program put the new files in place and started the launcher from the root,
    // which fetched the game and started it.
    ASSERT_TRUE(WaitUntil([&] { return PathExists(root + "game/launch_record.txt"); }, 60000));
    ASSERT_TRUE(WaitUntil([&] { return !IsProcessRunning(root + "Tolmqrvo"); }, 10000))
        << "the restarted launcher ends itself after starting the game";
    EXPECT_FALSE(PathExists(root + "launcher.tmp"));
    EXPECT_EQ(ReadFileBytes(root + "Tolmqrvo"), ReadFileBytes(TOLM_LAUNCHER));
    EXPECT_EQ(ModeOf(root + "Tolmqrvo"), 0755u);
    EXPECT_EQ(ReadFileBytes(root + "tolm-entrance"), ReadFileBytes(TOLM_ENTRANCE));
    ExpectStartedGame(root + "Tolmqrvo");
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
    const std::string lockPath =
        std::string(std::getenv("XDG_RUNTIME_DIR")) + "/com.pemto.qrvo.pc.tolmTolmVOGameMutex.lock";
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

}  // namespace
