#pragma once

#include <string>
#include <vector>

// How a launcher finds the entrance program that restarts it after a launcher update, and what it
// tells that program.
//
// ENTRANCE from the command line comes first (a relative value is taken from the launcher's
// starting folder; the launcher never changes its folder). Without it, or when it cannot be
// started, the entrance program beside the launcher's own executable is used: installed with it
// (<prefix>/bin), beside the per-user copy (the launcher copies the entrance program it uses
// there with itself), beside a launcher restarted from the game root (published with it), and in
// the build tree (the build links it beside the launcher).

// The environment variable that names the launcher which started the entrance program, so the
// entrance program can start that launcher again when the restarted one cannot start.
inline constexpr const char* kCallingLauncherVariable = "TOLM_CALLING_LAUNCHER";

// The programs to try, in order, without repeats.
std::vector<std::string> EntranceProgramCandidates();

// The entrance program beside `launcherPath`.
std::string EntranceBesideLauncher(const std::string& launcherPath);
