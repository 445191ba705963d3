#include "platform/Process.h"

#include "platform/Backend.h"

#include <mutex>

// The command line kept for CommandLineText; the rest of Process.h is the backend's.
namespace platform {
namespace {

std::mutex commandLineLock;
std::string commandLine;

}  // namespace

void SetCommandLine(int argc, char** argv) {
    std::string text;
    if (!backend::SystemArgumentText(argc, argv, text)) {
        for (int i = 1; i < argc; ++i) {
            if (i > 1)
                text.push_back(' ');
            text.append(argv[i]);
        }
    }
    std::lock_guard<std::mutex> guard(commandLineLock);
    commandLine = text;
}

std::string CommandLineText() {
    std::lock_guard<std::mutex> guard(commandLineLock);
    return commandLine;
}

}  // namespace platform
