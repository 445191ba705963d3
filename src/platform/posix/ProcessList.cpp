#include "platform/Process.h"

#include "platform/Paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <string_view>

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
                          int& errorCode,
                          const std::vector<std::string>& environment) {
    // The child changes into its working folder before the program is looked up.
    std::string program = executable;
    if (!program.empty() && program.front() != '/')
        program = CurrentFolder() + "/" + program;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    std::vector<char*> envp;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view current(*entry);
        const bool replaced = std::any_of(environment.begin(), environment.end(), [&](const std::string& added) {
            const std::size_t equals = added.find('=');
            return current.size() > equals &&
                   current.substr(0, equals + 1) == std::string_view(added).substr(0, equals + 1);
        });
        if (!replaced)
            envp.push_back(*entry);
    }
    for (const std::string& added : environment)
        envp.push_back(const_cast<char*>(added.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t child = 0;
    errorCode = ::posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return errorCode == 0;
}

}  // namespace platform
