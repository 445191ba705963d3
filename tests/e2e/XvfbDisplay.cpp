#include "XvfbDisplay.h"

#include "support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

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
    // Xvfb's own choice of a free number (-displayfd) races with servers starting beside it, and
    // a loser can take the winner's socket away. With a number given, the server takes the
    // display's lock before anything else, so a taken number only makes it end: try the next.
    const int first = 100 + static_cast<int>(::getpid() % 400);
    for (int number = first; number < first + 50; ++number) {
        const std::string display = ":" + std::to_string(number);
        if (::access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0)
            continue;
        std::vector<std::string> args = {"/usr/bin/Xvfb", display, "-screen",   "0",   "1280x800x24",
                                         "-dpi",          "96",    "-nolisten", "tcp", "-noreset"};
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0)
            return;
        // Ready once a client gets through; gone when the number was taken.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            if (::waitpid(pid, nullptr, WNOHANG) == pid) {
                pid = -1;
                break;
            }
            std::string output;
            if (RunOnDisplay(display, {"xdpyinfo"}, output) == 0) {
                pid_ = pid;
                name_ = display;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
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
        windows.push_back({id, x, y, width, height});
    }
    return windows;
}

std::string XvfbDisplay::Properties(const WindowRect& window, const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv = {"xprop", "-id", window.id, "-notype"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::string output;
    RunOnDisplay(name_, argv, output);
    return output;
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
