#include "platform/Browser.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

extern char** environ;

namespace platform {
namespace {

// Starts argv[0] found on PATH, detached into its own session; true when it was started.
bool SpawnDetached(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t child = 0;
    int error = ::posix_spawnp(&child, argv[0], nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    return error == 0;
}

}  // namespace

bool OpenWithDesktop(const std::string& address) {
    return SpawnDetached({"xdg-open", address});
}

std::string ConfiguredBrowserCommand() {
    const char* browser = std::getenv("BROWSER");
    return browser ? std::string(browser) : std::string();
}

bool RunCommandWithArgument(const std::string& command, const std::string& argument) {
    if (command.empty())
        return false;
    return SpawnDetached({command, argument});
}

}  // namespace platform
