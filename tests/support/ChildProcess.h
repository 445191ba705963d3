#pragma once

#include <string>
#include <vector>

namespace testsupport {

// Runs a program to its end (argv[0] is the program's path; no shell) with extra environment
// entries ("NAME=value") and returns its exit status (-1 when it could not run or was killed).
// Standard output and error go to `output` when given, else to this process's own.
int RunChild(const std::vector<std::string>& argv,
             std::string* output = nullptr,
             const std::vector<std::string>& environment = {});

}  // namespace testsupport
