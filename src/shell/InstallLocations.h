#pragma once

#include <string>

// The two places the launcher works with: the per-user folder U (its copy, its log, the game
// root record) and the game root R (the game, the manifests, the launcher's updatable files).
// Every call recomputes its answer; nothing is cached. Folder results end with a separator.

inline constexpr const char* kUserFolderParent = "QRVO_PC";
inline constexpr const char* kGameFolderParent = "QRVO";
inline constexpr const char* kEditionFolder = "Tolm";
inline constexpr const char* kGameRootRecordName = "game_root.txt";

// Full path of the running executable.
std::string GetModulePath();
// U: <application data>/QRVO_PC/Tolm/ when writable (probed on every call), else
// <home>/QRVO_PC/Tolm/; the application-data one again when there is no home folder.
std::string GetUserDataDirectory();
// R: the folder pinned in U/game_root.txt when it names an existing absolute folder, else
// <home>/QRVO/Tolm/ (or U/QRVO/Tolm/ without a home folder), which is then written to the record.
std::string GetGameRoot();
