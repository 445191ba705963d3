#pragma once

#include <string>

// What the launcher fixes towards the two programs it starts: the game executable and the
// entrance program that restarts it after a launcher update.

// Below the game root R.
inline constexpr const char* kGameFolderName = "game";
inline constexpr const char* kGameExecutableName = "qrvo_game";
// The launcher's own executable, in the per-user folder and below R.
inline constexpr const char* kLauncherExecutableName = "Tolmqrvo";
// The entrance program that applies a launcher journal and restarts the launcher.
inline constexpr const char* kEntranceExecutableName = "tolm-entrance";

inline constexpr const char* kRebootKey = "LAUNCHER_REBOOT";
inline constexpr const char* kEntranceKey = "ENTRANCE";
// Parameter text of the entrance program (and of the launcher it restarts).
inline constexpr const char* kRebootParameter = "LAUNCHER_REBOOT=TRUE";
inline constexpr const char* kPlatformNumber = "1";
// The launcher's argument (the desktop entry's repair action) that checks the installed files
// before the update and fetches the damaged ones again. A restart after a launcher update does
// not pass it on: the damaged files' lines have left version.txt by then, so they are fetched
// without hashing everything a second time.
inline constexpr const char* kRepairFlag = "--repair";

// R + "game/" (with the separator), the game's working folder.
std::string GameFolder(const std::string& root);
// R + "game/qrvo_game".
std::string GameExecutablePath(const std::string& root);
// R + "Tolmqrvo".
std::string LauncherExecutablePath(const std::string& root);

// A parameter value cannot hold a space (the parameter text is split at spaces): it travels as %20.
std::string EncodeParameterValue(const std::string& value);

// What the entrance program passes to the launcher it restarts:
// "LAUNCHER_REBOOT=TRUE ENTRANCE=<entrance path>".
std::string FormatRestartParameters(const std::string& entrancePath);

// What the entrance program passes to the launcher it starts instead when the restarted one cannot
// start, so the player learns of it: "LAUNCHER_REBOOT=TRUE RESTART_FAILED=<error number>".
inline constexpr const char* kRestartFailedKey = "RESTART_FAILED";
std::string FormatRestartFailedParameters(int errorCode);

// "auth_key=%s,uid=%s,extraInfo=%s"
std::string FormatLoginText(const std::string& authKey, const std::string& uid, const std::string& extraInfo);
// "ENTRANCE=%s DEVICE_ID=%s RESOURCE_HASH=%s LOGIN_DATA=%s PLATFORM=%s", nothing quoted; a space
// in the entrance path is written as %20 so the path stays one token.
std::string FormatLaunchParameters(const std::string& entrance,
                                   const std::string& deviceId,
                                   const std::string& resourceHash,
                                   const std::string& loginData,
                                   const std::string& platformNumber);
