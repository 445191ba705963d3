#pragma once

#include <string>

namespace testsupport {

// Redirects this process's standard output (file descriptor 1) into a temporary file for the
// object's lifetime, so a test can read the debug trace. What was captured is also written to
// the real standard output at the end, so nothing printed meanwhile is lost.
class CapturedOutput {
public:
    CapturedOutput();
    ~CapturedOutput();
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;

    // Everything written to standard output since construction.
    std::string Text() const;

private:
    int saved_ = -1;
    int file_ = -1;
};

}  // namespace testsupport
