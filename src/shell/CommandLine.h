#pragma once

#include <string>

// KEY=value tokens of a command line. Keys compare without regard to ASCII letter case; the
// value is everything after the first "=" of the first matching token, percent-decoded ("+" and
// %20 are spaces). Tokens without "=" are ignored, except as flags.

// From `commandLine` (the arguments after the program path, separated by spaces).
bool FindCommandLineValue(const std::string& commandLine, const std::string& key, std::string& value);
// From this process's own command line.
bool GetCommandLineValue(const std::string& key, std::string& value);
// True when `commandLine` holds the token `flag` exactly (as "--repair").
bool HasCommandLineFlag(const std::string& commandLine, const std::string& flag);
// --repair: the player asked to check the installed files and fetch the damaged ones again.
bool IsRepairRequested();
// LAUNCHER_REBOOT=TRUE in any letter case: this start is a launcher restart.
bool IsLauncherReboot();
