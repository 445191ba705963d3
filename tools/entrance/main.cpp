// tolm-entrance: started by the launcher after it fetched its own files ("LAUNCHER_REBOOT=TRUE").
// Applies the complete launcher journal of the game root, then starts the launcher again.
#include "ToolArguments.h"

#include "platform/Process.h"
#include "resources/LauncherJournalApplier.h"
#include "shell/GameProcessContract.h"
#include "shell/InstallLocations.h"
#include "shell/ProcessControl.h"

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "Usage: tolm-entrance [LAUNCHER_REBOOT=TRUE] [--root DIR] [--apply-only]\n"
    "\n"
    "Applies the launcher journal DIR/launcher.tmp (default: the game root) when it is complete,\n"
    "deletes it, and starts DIR/Tolmqrvo with \"LAUNCHER_REBOOT=TRUE ENTRANCE=<this program>\".\n"
    "--apply-only applies and exits. Exit status: 0 done, 1 the journal could not be applied,\n"
    "2 bad arguments, 3 the launcher could not be started.\n";

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
    else if (root.back() != '/')
        root.push_back('/');

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
        std::fprintf(stderr, "tolm-entrance: cannot start %s: %s\n", launcher.c_str(), std::strerror(code));
        return 3;
    }
    return status;
}
