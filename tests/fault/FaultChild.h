#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace faults {

// How a child process ended.
struct ChildOutcome {
    int exitCode = -1;       // -1 when it did not exit normally
    int signal = 0;          // the signal that ended it, else 0
    long peakMemoryKiB = 0;  // the program's largest resident set, when it was measured
    std::string output;      // standard output and error together
};

struct ChildOptions {
    // >= 0: every file the program writes is limited to that many bytes; writes past it fail
    // (EFBIG) the way they fail on a full disk.
    std::int64_t fileSizeLimit = -1;
    // >= 0: the program's address space is limited to that many bytes (setrlimit RLIMIT_AS), so
    // an allocation past it fails the way it fails on a machine out of memory.
    std::int64_t addressSpaceLimit = -1;
    // Measures the program's peak memory. A child forked from this (large) test process would
    // count this process's pages too, so the program runs under /usr/bin/time, which forks it
    // from a small process and reports its own peak.
    bool measureMemory = false;
};

// One program run as a child process (no shell), for tests that need more than RunChild: a
// file-size limit that stands in for a full disk, a kill at a chosen moment, the peak memory.
// The child inherits this process's environment and runs in a process group of its own; its
// output goes to a file read at the end.
class FaultChild {
public:
    FaultChild() = default;
    ~FaultChild();  // kills and reaps a child still running
    FaultChild(const FaultChild&) = delete;
    FaultChild& operator=(const FaultChild&) = delete;

    bool Start(const std::vector<std::string>& argv, const ChildOptions& options = {});
    // True once the child has ended (it is then reaped); never blocks.
    bool HasEnded();
    // Waits up to `timeoutMilliseconds` for the child to end; true when it has.
    bool WaitFor(int timeoutMilliseconds);
    // SIGKILL to the child's whole process group.
    void Kill();
    // Blocks until the child has ended.
    ChildOutcome Wait();

private:
    void Reap(int status);

    pid_t pid_ = -1;
    std::string outputPath_;
    std::string memoryPath_;
    bool ended_ = false;
    ChildOutcome outcome_;
};

// Runs a program to its end, measuring its peak memory.
ChildOutcome RunToEnd(const std::vector<std::string>& argv, std::int64_t fileSizeLimit = -1);

}  // namespace faults
