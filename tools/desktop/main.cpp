// tolm-desktop-entry: writes the launcher's menu entry at install time (not installed itself).
#include "ToolArguments.h"

#include "platform/DesktopShortcut.h"
#include "platform/FileSystem.h"
#include "shell/LauncherDesktopEntry.h"

#include <cstdio>

namespace {

const char kUsage[] =
    "Usage: tolm-desktop-entry LAUNCHER_PATH OUTPUT_FILE\n"
    "\n"
    "Writes the menu entry that starts the launcher installed at LAUNCHER_PATH to OUTPUT_FILE.\n"
    "Exit status: 0 written, 1 the file could not be written, 2 bad arguments.\n";

}  // namespace

int main(int argc, char** argv) {
    ToolArguments args({}, {});
    std::string error;
    if (!args.Parse(argc, argv, error) ||
        (args.Positional().size() != 2 && !args.Has("--help") && !args.Has("--version"))) {
        std::fprintf(stderr, "tolm-desktop-entry: %s\n%s", error.empty() ? "two arguments expected" : error.c_str(),
                     kUsage);
        return 2;
    }
    if (args.AnswerHelpOrVersion("tolm-desktop-entry", kUsage))
        return 0;
    const std::string& output = args.Positional()[1];
    if (!platform::WriteWholeFile(output, platform::FormatDesktopEntry(LauncherDesktopEntry(args.Positional()[0])))) {
        std::fprintf(stderr, "tolm-desktop-entry: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
