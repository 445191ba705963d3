// tolm-entrance: started by the launcher after it fetched its own files ("LAUNCHER_REBOOT=TRUE").
// Applies the complete launcher journal of the game root, then starts the launcher again.
#include "ToolArguments.h"

#include "base/FileUtilities.h"
#include "platform/Environment.h"
#include "platform/Process.h"
#include "resources/LauncherJournalApplier.h"
#include "shell/EntranceProgram.h"
#include "shell/GameProcessContract.h"
#include "shell/InstallLocations.h"
#include "shell/ProcessControl.h"

#include <cstdio>
#include <system_error>

namespace {

const char kUsage[] =
    "Usage: tolm-entrance [LAUNCHER_REBOOT=TRUE] [--root DIR] [--apply-only]\n"
    "\n"
    "Applies the launcher journal DIR/launcher.tmp (default: the game root) when it is complete,\n"
    "deletes it, and starts DIR/Tolmqrvo with \"LAUNCHER_REBOOT=TRUE ENTRANCE=<this program>\".\n"
    "When that launcher cannot start, the launcher that started this program (or the per-user\n"
    "copy) is started with \"LAUNCHER_REBOOT=TRUE RESTART_FAILED=<error number>\" to tell the player.\n"
    "--apply-only applies and exits. Exit status: 0 done, 1 the journal could not be applied,\n"
    "2 bad arguments, 3 the launcher could not be started.\n";

// The launcher that called us has ended by now: without another launcher the player would see
// nothing at all. The calling launcher comes first, the per-user copy after it.
void StartLauncherToReport(const std::string& failedLauncher, int errorCode) {
    for (const std::string& launcher :
         {platform::EnvironmentValue(kCallingLauncherVariable), LauncherExecutablePath(GetUserDataDirectory())}) {
        std::string folder;
        int code = 0;
        if (launcher.empty() || launcher == failedLauncher || !ParentFolder(launcher, folder) ||
            !StartProcess(launcher, folder, FormatRestartFailedParameters(errorCode), code))
            continue;
        std::fprintf(stderr, "tolm-entrance: started %s to report it\n", launcher.c_str());
        return;
    }
}

}  // namespace

int main(int argc, char** argv) {
    platform::SetCommandLine(argc, argv);
    ToolArguments args({"--root"}, {"--apply-only"});
    std::string error;
    if (!args.Parse(argc, argv, error)) {
        std::fprintf(stderr, "tolm-entrance: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (args.AnswerHelpOrVersion("tolm-entrance", kUsage))
        return 0;
    std::string root = args.Value("--root");
    if (root.empty())
        root = GetGameRoot();
    else
        root = WithTrailingSeparator(root);

    int applied = 0;
    JournalApplyResult result = ApplyLauncherJournal(root, &applied);
    std::fprintf(stderr, "tolm-entrance: %s (%d files)\n", DescribeJournalApplyResult(result).c_str(), applied);
    // A journal that could not be applied leaves the old launcher in place, which still runs.
    int status = result == JournalApplyResult::WriteFailed ? 1 : 0;
    if (args.Has("--apply-only"))
        return status;

    std::string launcher = LauncherExecutablePath(root);
    int code = 0;
    if (!StartProcess(launcher, root, FormatRestartParameters(GetModulePath()), code)) {
        std::fprintf(stderr, "tolm-entrance: cannot start %s: %s\n", launcher.c_str(),
                     std::generic_category().message(code).c_str());
        StartLauncherToReport(launcher, code);
        return 3;
    }
    return status;
}
