#pragma once

#include <string>
#include <vector>

// Processes the launcher looks for and starts.

// True when a running process has exactly this image path, compared without regard to ASCII
// letter case. A process list that cannot be read counts as not running.
bool IsProcessRunning(const std::string& executablePath);

// Starts `executable` in `workingFolder` with the parameter text split at spaces as its
// arguments; no shell, no search path. False when the executable cannot be opened for reading or
// the start fails; `errorCode` then holds the system's error number. `environment` ("NAME=value")
// is added to the environment the program inherits.
bool StartProcess(const std::string& executable,
                  const std::string& workingFolder,
                  const std::string& parameters,
                  int& errorCode,
                  const std::vector<std::string>& environment = {});
