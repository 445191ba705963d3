#pragma once

#include "resources/ResourceManagerProgressInfo.h"

#include <cstdint>
#include <optional>
#include <string>

// What each progress report means for the player, in one place for the launcher window and the
// headless updater: the stage text, what the bar does, what the status line shows, what the
// receiver does next, and whether bytes are being fetched while it is the latest report. A new
// stage is one more row.

enum class StageBar {
    Keep,   // the bar stays where it is
    Empty,  // a step begins
    Full,   // a step ended, or failed
};

// The status line beside the bar says what is happening now; a line from an earlier step never
// stays behind a later one.
enum class StatusLine {
    Keep,        // the download's own line (speed, time left, sizes), refreshed every second
    Clear,       // nothing is being fetched: no line
    Connecting,  // a download starts: no byte has arrived yet
    Fetched,     // a download ended well: all of its size fetched, or no line when nothing was fetched
};

enum class StageAction {
    None,
    StartOver,        // a new check: the bar and its stage key start from zero
    CheckDiskSpace,   // the total size arrived: make room for it, then let the downloads start
    FollowDownload,   // bytes arrived
    AskRetry,         // the step failed: ask whether to try again from the update-address request
    RestartLauncher,  // new launcher files are in place: say so, then restart the launcher
    StartGame,        // every resource is current
    NoticeAnswer,     // the update-address service answered
    NoticeAttempt,    // the update-address request begins an attempt: a retry shows its number
    BeginFileCheck,   // a repair starts hashing the installed files
    FollowFileCheck,  // bytes hashed: the bar follows them
    EndFileCheck,     // every file hashed: say how many must be fetched again
};

struct ProgressStageRow {
    ResourceManagerProgressState state;
    const char* stageText;  // null: the stage label keeps its text
    StageBar bar;
    StatusLine status;
    StageAction action;
    bool downloading;
};

// The row of `state`; null for a state no receiver knows (it changes nothing).
const ProgressStageRow* FindProgressStageRow(int state);
// The stage text of `state`, or null.
const char* StageTextForState(int state);
// The status line of `state`'s report, given the total size of the run's download (0 when nothing
// was fetched); nullopt keeps the line as it is.
std::optional<std::string> StatusLineForState(int state, std::int64_t totalBytes);
// True when bytes are being fetched while `state` is the latest report; unknown states are not.
bool IsDownloadingState(int state);
