#pragma once

#include "download/DownloadTimings.h"
#include "resources/ProgressEventQueue.h"
#include "resources/ResourceManagerProgressInfo.h"

#include <chrono>

#include <cstdio>
#include <string>

// The update check without windows: asks the update-address service (unless the config address
// is given), then follows the resource manager's reports on this thread the way the launcher
// window does: disk check before downloading, launcher files first. Progress goes to `out`:
// the stage texts and a status line with speed, remaining time and sizes, redrawn in place on a
// terminal and written once a second otherwise.
struct HeadlessUpdateOptions {
    std::string root;         // the game root, with its separator
    std::string configUrl;    // empty: ask the update-address service
    std::string noticeUrl;    // the service's base URL
    DownloadTimings timings;  // the product's waits unless an operator shortens the retry pause
    bool checkFiles = false;  // hash the installed files first and fetch the damaged ones (repair)
};

enum HeadlessUpdateExit : int {
    kUpdateCurrent = 0,           // all game resources are current
    kUpdateNoticeFailed = 2,      // the update-address service gave no address
    kUpdateConfigFailed = 3,      // the CDN config could not be fetched or read
    kUpdateDownloadFailed = 4,    // a download run failed
    kUpdateNoDiskSpace = 5,       // not enough free space (or it could not be read)
    kUpdateLauncherFetched = 10,  // launcher files fetched, journal complete: restart needed
};

class HeadlessUpdate {
public:
    HeadlessUpdate(HeadlessUpdateOptions options, std::FILE* out);
    int Run();

private:
    bool AskForAddress(std::string& address);
    int FollowUpdateCheck(const std::string& address);
    void Stage(const std::string& text);
    void Status(const std::string& line);
    // The check's status line; the `last` one is printed whatever the time since the previous.
    void FileCheckStatus(const FileCheckProgressInfo& info, bool last);

    HeadlessUpdateOptions options_;
    std::FILE* out_;
    bool terminal_;
    bool statusShown_ = false;
    std::chrono::steady_clock::time_point checkStart_;
    std::chrono::steady_clock::time_point lastCheckStatus_;
};
