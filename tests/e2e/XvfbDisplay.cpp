#include "XvfbDisplay.h"

#include "support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

extern char** environ;

namespace e2e {
namespace {

// Runs an X client against `display`; its combined output goes to `output`.
int RunOnDisplay(const std::string& display, std::vector<std::string> argv, std::string& output) {
    argv.insert(argv.begin(), {"/usr/bin/env", "DISPLAY=" + display});
    return testsupport::RunChild(argv, &output);
}

}  // namespace

XvfbDisplay::XvfbDisplay() {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return;
    // Xvfb writes the display number it took to the descriptor given with -displayfd.
    const std::string fd = std::to_string(pipeFds[1]);
    std::vector<std::string> args = {"/usr/bin/Xvfb", "-displayfd", fd,   "-screen",   "0",
                                     "1280x800x24",   "-dpi",       "96", "-nolisten", "tcp"};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        pid_ = -1;
        ::close(pipeFds[0]);
        return;
    }
    std::string number;
    char c = 0;
    while (::read(pipeFds[0], &c, 1) == 1 && c != '\n')
        number.push_back(c);
    ::close(pipeFds[0]);
    if (!number.empty())
        name_ = ":" + number;
}

XvfbDisplay::~XvfbDisplay() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

std::vector<WindowRect> XvfbDisplay::WindowsOf(pid_t pid) const {
    std::vector<WindowRect> windows;
    std::string ids;
    if (RunOnDisplay(name_, {"xdotool", "search", "--onlyvisible", "--pid", std::to_string(pid)}, ids) != 0)
        return windows;
    std::istringstream lines(ids);
    std::string id;
    while (std::getline(lines, id)) {
        if (id.empty() || id.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string shell;
        if (RunOnDisplay(name_, {"xdotool", "getwindowgeometry", "--shell", id}, shell) != 0)
            continue;
        int x = 0, y = 0, width = 0, height = 0;
        std::istringstream values(shell);
        std::string line;
        while (std::getline(values, line)) {
            const std::size_t equals = line.find('=');
            if (equals == std::string::npos)
                continue;
            const std::string key = line.substr(0, equals);
            const int value = std::atoi(line.c_str() + equals + 1);
            if (key == "X")
                x = value;
            else if (key == "Y")
                y = value;
            else if (key == "WIDTH")
                width = value;
            else if (key == "HEIGHT")
                height = value;
        }
        windows.push_back({x, y, width, height});
    }
    return windows;
}

bool XvfbDisplay::Click(int x, int y) const {
    std::string output;
    return RunOnDisplay(name_, {"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "1"},
                        output) == 0;
}

bool XvfbDisplay::Screenshot(const std::string& path) const {
    std::string output;
    return RunOnDisplay(name_, {"import", "-window", "root", path}, output) == 0;
}

}  // namespace e2e
