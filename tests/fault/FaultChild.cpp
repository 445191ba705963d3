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

FaultChild::~FaultChild() {
    if (pid_ > 0 && !ended_) {
        Kill();
        Wait();
    }
    if (!outputPath_.empty())
        std::remove(outputPath_.c_str());
}

bool FaultChild::Start(const std::vector<std::string>& argv, std::int64_t fileSizeLimit) {
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    char pattern[] = "/tmp/tolm-fault-output-XXXXXX";
    int output = ::mkstemp(pattern);
    if (output < 0)
        return false;
    outputPath_ = pattern;

    // Everything the child needs is prepared before the fork: between fork and exec only
    // async-signal-safe calls are allowed in a process with threads.
    pid_t pid = ::fork();
    if (pid < 0) {
        ::close(output);
        return false;
    }
    if (pid == 0) {
        ::dup2(output, 1);
        ::dup2(output, 2);
        if (fileSizeLimit >= 0) {
            // The limit signals SIGXFSZ; ignored, the write fails with EFBIG like a full disk.
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::execve(args[0], args.data(), environ);
        ::_exit(127);
    }
    ::close(output);
    pid_ = pid;
    ended_ = false;
    return true;
}

void FaultChild::Reap(int status, long peakMemoryKiB) {
    ended_ = true;
    outcome_.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome_.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    outcome_.peakMemoryKiB = peakMemoryKiB;
    outcome_.output = testsupport::ReadFileBytes(outputPath_);
}

bool FaultChild::HasEnded() {
    if (pid_ <= 0 || ended_)
        return true;
    int status = 0;
    rusage usage{};
    if (::wait4(pid_, &status, WNOHANG, &usage) != pid_)
        return false;
    Reap(status, usage.ru_maxrss);
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
        ::kill(pid_, SIGKILL);
}

ChildOutcome FaultChild::Wait() {
    if (pid_ > 0 && !ended_) {
        int status = 0;
        rusage usage{};
        if (::wait4(pid_, &status, 0, &usage) == pid_)
            Reap(status, usage.ru_maxrss);
    }
    return outcome_;
}

ChildOutcome RunToEnd(const std::vector<std::string>& argv, std::int64_t fileSizeLimit) {
    FaultChild child;
    if (!child.Start(argv, fileSizeLimit))
        return ChildOutcome();
    return child.Wait();
}

}  // namespace faults
