#include "CTolmLauncherApp.h"
#include "LauncherIcon.h"

#include "base/FileUtilities.h"
#include "base/Trace.h"
#include "controller/CTolmMainForegroundDialog.h"
#include "platform/DesktopShortcut.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/SingleInstance.h"
#include "shell/CommandLine.h"
#include "shell/EntranceProgram.h"
#include "shell/GameProcessContract.h"
#include "shell/InstallLocations.h"
#include "shell/LaunchLog.h"
#include "shell/LauncherDesktopEntry.h"
#include "shell/ProcessControl.h"
#include "shell/StageTexts.h"
#include "ui/CFlashDialog.h"
#include "ui/SkinMessageBox.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

// Unique per user: the reservation lives in the per-user folder, where no other user can make or
// hold it.
constexpr const char* kSingleInstanceName = "com.pemto.qrvo.pc.tolmTolmVOGameMutex";

// A restarted launcher is started by the entrance program, which its predecessor started just
// before ending; should that predecessor still be on its way out, the name comes free within
// moments, and a restart must not end quietly because of it.
constexpr auto kRebootReservationWait = std::chrono::seconds(3);
constexpr auto kReservationRetryPause = std::chrono::milliseconds(50);

bool ReserveInstance(bool reboot) {
    const std::string folder = GetUserDataDirectory();
    const auto giveUp = std::chrono::steady_clock::now() + kRebootReservationWait;
    for (;;) {
        if (platform::ReserveSingleInstanceName(kSingleInstanceName, folder))
            return true;
        if (!reboot || std::chrono::steady_clock::now() >= giveUp)
            return false;
        std::this_thread::sleep_for(kReservationRetryPause);
    }
}

// The entrance program this launcher would restart through, beside the per-user copy, so the copy
// finds one there. Copied under another name and renamed into place: the source may be that very
// file, when the entrance program beside the copy restarted this launcher.
void RefreshEntranceCopy(const std::string& copyPath) {
    const std::string target = EntranceBesideLauncher(copyPath);
    for (const std::string& program : EntranceProgramCandidates()) {
        if (!platform::FileExists(program))
            continue;
        const std::string incoming = target + ".new";
        DeleteFileIfExists(incoming);
        if (!platform::CopyFileNoReplace(program, incoming) || !platform::RenameFile(incoming, target))
            DeleteFileIfExists(incoming);
        return;
    }
}

// The per-user copy follows the most recently started launcher, except while that copy itself
// runs (started through the desktop link): it cannot replace itself.
void RefreshLauncherCopy(const std::string& modulePath, const std::string& copyPath) {
    if (IsProcessRunning(copyPath))
        return;
    DeleteFileIfExists(copyPath);
    platform::CopyFileNoReplace(modulePath, copyPath);
    RefreshEntranceCopy(copyPath);
}

// Started by the entrance program instead of the launcher it could not start: say so.
bool ReportFailedRestart() {
    std::string code;
    if (!GetCommandLineValue(kRestartFailedKey, code))
        return false;
    char text[128];
    std::snprintf(text, sizeof(text), kRestartedLauncherFailedFormat, std::atoi(code.c_str()));
    TraceLine(text);
    ShowSkinMessageBox(text, nullptr, std::string(), std::string(), ButtonEmphasis::FirstGold, nullptr,
                       MessageBoxStyle::OneButton);
    return true;
}

}  // namespace

void CTolmLauncherApp::CreateDesktopShortcut(const std::string& targetPath, const std::string& linkName) {
    platform::WriteDesktopShortcut(platform::DesktopFolder(), linkName, LauncherDesktopEntry(targetPath));
}

bool CTolmLauncherApp::InitInstance() {
    const bool reboot = IsLauncherReboot();
    const bool anotherLauncher = !ReserveInstance(reboot);

    const std::string modulePath = GetModulePath();
    const std::string copyPath = LauncherExecutablePath(GetUserDataDirectory());
    RefreshLauncherCopy(modulePath, copyPath);
    InstallUserIcons(platform::ApplicationDataFolder());
    CreateDesktopShortcut(copyPath, kDesktopShortcutName);

    // Computing the root may pin it in game_root.txt.
    const std::string gameExecutable = GameExecutablePath(GetGameRoot());
    DeleteFileIfExists(GetLogFilePath());

    if (anotherLauncher) {
        TraceLine("另一个Launcher正在运行，不显示窗口");
        return false;
    }
    if (ReportFailedRestart())
        return false;
    // After a launcher restart the window shows even while the game runs: it waits for the game.
    if (!reboot && IsProcessRunning(gameExecutable)) {
        TraceLine("游戏正在运行，不显示窗口");
        return false;
    }

    CFlashDialog host([](QWidget* parent) { return new CTolmMainForegroundDialog(parent); });
    host.DoModal();
    return false;
}
