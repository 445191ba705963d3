#pragma once

#include <string>

namespace platform {

// Reserves `name` for this user until the process ends: an exclusive lock on a file named after
// it in the user's runtime folder. False only when another process holds it; when the lock file
// cannot be made at all (no usable runtime folder) nobody can hold the name, and the answer is
// true, so a launcher still starts. The reservation is never released explicitly; the system
// drops it with the process.
bool ReserveSingleInstanceName(const std::string& name);

}  // namespace platform
