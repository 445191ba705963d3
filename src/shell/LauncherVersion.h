#pragma once

#include <string>

// The version this build carries, "%d.%d.%d.%d" as read back from the running executable's
// version marker (0.0.0.0 when it cannot be read), the way the update-address service is told.
std::string RunningProgramVersionText();
