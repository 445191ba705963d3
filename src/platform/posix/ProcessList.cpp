#include "platform/Process.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <cctype>

extern char** environ;

namespace platform {

bool ListProcessImagePaths(std::vector<std::string>& paths) {
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return false;
    while (struct dirent* entry = ::readdir(proc)) {
        if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0])))
            continue;
        std::string link = std::string("/proc/") + entry->d_name + "/exe";
        char buffer[4096];
        ssize_t length = ::readlink(link.c_str(), buffer, sizeof(buffer) - 1);
        if (length > 0)
            paths.emplace_back(buffer, static_cast<std::size_t>(length));
    }
    ::closedir(proc);
    return true;
}

bool SpawnDetachedProcess(const std::string& executable,
                          const std::vector<std::string>& arguments,
                          const std::string& workingFolder,
                          int& errorCode) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t child = 0;
    errorCode = ::posix_spawn(&child, executable.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return errorCode == 0;
}

}  // namespace platform
