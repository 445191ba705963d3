#pragma once

#include <string>

namespace platform {

// Reserves `name` for this user until the process ends: an exclusive lock on the file
// `privateFolder`/`name`.lock. The folder is made (mode 0700) when missing. Nothing another user
// made is ever used: the folder must belong to this user with no write access for anyone else,
// and the lock file must be this user's own regular file (a link is not followed), so no other
// user can create or hold the reservation. False only when another process holds it; when the
// lock file cannot be made or used, nobody can hold the name, and the answer is true, so a
// launcher still starts. The reservation is never released explicitly; the system drops it with
// the process.
bool ReserveSingleInstanceName(const std::string& name, const std::string& privateFolder);

}  // namespace platform
