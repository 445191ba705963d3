#include "support/CapturedOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace testsupport {

CapturedOutput::CapturedOutput() {
    std::fflush(stdout);
    char pattern[] = "/tmp/tolm-stdout-XXXXXX";
    file_ = ::mkstemp(pattern);
    if (file_ < 0)
        throw std::runtime_error("cannot make a capture file");
    ::unlink(pattern);
    saved_ = ::dup(STDOUT_FILENO);
    ::dup2(file_, STDOUT_FILENO);
}

CapturedOutput::~CapturedOutput() {
    std::fflush(stdout);
    std::string text = Text();
    ::dup2(saved_, STDOUT_FILENO);
    ::close(saved_);
    ::close(file_);
    if (::write(STDOUT_FILENO, text.data(), text.size()) < 0)
        return;
}

std::string CapturedOutput::Text() const {
    std::fflush(stdout);
    std::string text;
    char buffer[4096];
    off_t offset = 0;
    for (;;) {
        ssize_t n = ::pread(file_, buffer, sizeof(buffer), offset);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
        offset += n;
    }
    return text;
}

}  // namespace testsupport
