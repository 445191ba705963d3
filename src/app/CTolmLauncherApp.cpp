#include "CTolmLauncherApp.h"

#include "base/FileUtilities.h"
#include "base/Trace.h"
#include "controller/CTolmMainForegroundDialog.h"
#include "platform/DesktopShortcut.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/SingleInstance.h"
#include "shell/CommandLine.h"
#include "shell/GameProcessContract.h"
#include "shell/InstallLocations.h"
#include "shell/LaunchLog.h"
#include "shell/ProcessControl.h"
#include "ui/CFlashDialog.h"

#include <chrono>
#include <thread>

namespace {

// Unique per logged-on user: the reservation lives in the user's runtime folder.
constexpr const char* kSingleInstanceName = "com.pemto.qrvo.pc.tolmTolmVOGameMutex";
constexpr const char* kDesktopShortcutName = "官网Qorvane";

// A restarted launcher is started by the entrance program, which its predecessor started just
// before ending; should that predecessor still be on its way out, the name comes free within
// moments, and a restart must not end quietly because of it.
constexpr auto kRebootReservationWait = std::chrono::seconds(3);
constexpr auto kReservationRetryPause = std::chrono::milliseconds(50);

bool ReserveInstance(bool reboot) {
    const auto giveUp = std::chrono::steady_clock::now() + kRebootReservationWait;
    for (;;) {
        if (platform::ReserveSingleInstanceName(kSingleInstanceName))
            return true;
        if (!reboot || std::chrono::steady_clock::now() >= giveUp)
            return false;
        std::this_thread::sleep_for(kReservationRetryPause);
    }
}

// The per-user copy follows the most recently started launcher, except while that copy itself
// runs (started through the desktop link): it cannot replace itself.
void RefreshLauncherCopy(const std::string& modulePath, const std::string& copyPath) {
    if (IsProcessRunning(copyPath))
        return;
    DeleteFileIfExists(copyPath);
    platform::CopyFileNoReplace(modulePath, copyPath);
}

}  // namespace

void CTolmLauncherApp::CreateDesktopShortcut(const std::string& targetPath, const std::string& linkName) {
    platform::WriteDesktopShortcut(platform::DesktopFolder(), linkName, targetPath);
}

bool CTolmLauncherApp::InitInstance() {
    const bool reboot = IsLauncherReboot();
    const bool anotherLauncher = !ReserveInstance(reboot);

    const std::string modulePath = GetModulePath();
    const std::string copyPath = LauncherExecutablePath(GetUserDataDirectory());
    RefreshLauncherCopy(modulePath, copyPath);
    CreateDesktopShortcut(copyPath, kDesktopShortcutName);

    // Computing the root may pin it in game_root.txt.
    const std::string gameExecutable = GameExecutablePath(GetGameRoot());
    DeleteFileIfExists(GetLogFilePath());

    if (anotherLauncher) {
        TraceLine("另一个Launcher正在运行，不显示窗口");
        return false;
    }
    // After a launcher restart the window shows even while the game runs: it waits for the game.
    if (!reboot && IsProcessRunning(gameExecutable)) {
        TraceLine("游戏正在运行，不显示窗口");
        return false;
    }

    CFlashDialog host([](QWidget* parent) { return new CTolmMainForegroundDialog(parent); });
    host.DoModal();
    return false;
}
