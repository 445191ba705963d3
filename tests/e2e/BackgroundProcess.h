#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace e2e {

// A program running beside the test (argv[0] is its path; no shell), its standard output and
// error going to a file, in `workingFolder` when one is given. The destructor kills it when it is
// still running.
class BackgroundProcess {
public:
    BackgroundProcess(const std::vector<std::string>& argv,
                      const std::string& outputPath,
                      const std::string& workingFolder = std::string());
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // Waits up to `timeoutMs` for the end; true with the exit status (-1 when killed by a signal).
    bool WaitForExit(int timeoutMs, int& status);
    bool Running();
    std::string Output() const;

private:
    pid_t pid_ = -1;
    bool ended_ = false;
    int status_ = 0;
    std::string outputPath_;
};

}  // namespace e2e
