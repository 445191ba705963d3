#include "FaultChild.h"

#include "support/TestFolders.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

extern char** environ;

namespace faults {

namespace {

// A temporary file name; the file is created empty.
std::string MakeTemporaryFile(const char* what) {
    std::string pattern = std::string("/tmp/tolm-fault-") + what + "-XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return std::string();
    ::close(fd);
    return pattern;
}

}  // namespace

FaultChild::~FaultChild() {
    if (pid_ > 0 && !ended_) {
        Kill();
        Wait();
    }
    for (const std::string& path : {outputPath_, memoryPath_}) {
        if (!path.empty())
            std::remove(path.c_str());
    }
}

bool FaultChild::Start(const std::vector<std::string>& argv, const ChildOptions& options) {
    outputPath_ = MakeTemporaryFile("output");
    if (outputPath_.empty())
        return false;
    std::vector<std::string> command;
    if (options.measureMemory) {
        memoryPath_ = MakeTemporaryFile("memory");
        command = {"/usr/bin/time", "-q", "-f", "%M", "-o", memoryPath_};
    }
    command.insert(command.end(), argv.begin(), argv.end());
    std::vector<char*> args;
    for (const std::string& arg : command)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    int output = ::open(outputPath_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (output < 0)
        return false;

    // Everything the child needs is prepared before the fork: between fork and exec only
    // async-signal-safe calls are allowed in a process with threads.
    pid_t pid = ::fork();
    if (pid < 0) {
        ::close(output);
        return false;
    }
    if (pid == 0) {
        ::setpgid(0, 0);
        ::dup2(output, 1);
        ::dup2(output, 2);
        if (options.fileSizeLimit >= 0) {
            // The limit signals SIGXFSZ; ignored, the write fails with EFBIG like a full disk.
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (options.addressSpaceLimit >= 0) {
            rlimit limit{static_cast<rlim_t>(options.addressSpaceLimit),
                         static_cast<rlim_t>(options.addressSpaceLimit)};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        ::execve(args[0], args.data(), environ);
        ::_exit(127);
    }
    ::close(output);
    // Also here, so that a Kill right after Start already reaches the group.
    ::setpgid(pid, pid);
    pid_ = pid;
    ended_ = false;
    return true;
}

void FaultChild::Reap(int status) {
    ended_ = true;
    outcome_.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome_.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    outcome_.output = testsupport::ReadFileBytes(outputPath_);
    if (!memoryPath_.empty())
        outcome_.peakMemoryKiB = std::atol(testsupport::ReadFileBytes(memoryPath_).c_str());
}

bool FaultChild::HasEnded() {
    if (pid_ <= 0 || ended_)
        return true;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) != pid_)
        return false;
    Reap(status);
    return true;
}

bool FaultChild::WaitFor(int timeoutMilliseconds) {
    if (HasEnded())
        return true;
    // A pidfd becomes readable when the process ends: a real wait, no polling.
    int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    if (pidfd < 0)
        return false;
    pollfd watch{pidfd, POLLIN, 0};
    ::poll(&watch, 1, timeoutMilliseconds);
    ::close(pidfd);
    return HasEnded();
}

void FaultChild::Kill() {
    if (pid_ > 0 && !ended_)
        ::kill(-pid_, SIGKILL);
}

ChildOutcome FaultChild::Wait() {
    if (pid_ > 0 && !ended_) {
        int status = 0;
        if (::waitpid(pid_, &status, 0) == pid_)
            Reap(status);
    }
    return outcome_;
}

ChildOutcome RunToEnd(const std::vector<std::string>& argv, std::int64_t fileSizeLimit) {
    FaultChild child;
    ChildOptions options;
    options.fileSizeLimit = fileSizeLimit;
    options.measureMemory = true;
    if (!child.Start(argv, options))
        return ChildOutcome();
    return child.Wait();
}

}  // namespace faults
