#pragma once

#include <string>

namespace platform {

// Reserves `name` for this user until the process ends: an exclusive lock on a file named after
// it in the user's runtime folder. False when another process holds it (or it cannot be made).
// The reservation is never released explicitly; the system drops it with the process.
bool ReserveSingleInstanceName(const std::string& name);

}  // namespace platform
