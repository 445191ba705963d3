#pragma once

#include <string>
#include <vector>

namespace faults {

// tolm-update for the game below `root` with the config at `configUrl`, pausing 1 ms between the
// attempts of a request (the attempt counts stay the product's).
inline std::vector<std::string> UpdateCommand(const std::string& root, const std::string& configUrl) {
    return {TOLM_UPDATE, "--root", root, "--cdn", configUrl, "--retry-pause", "1"};
}

// tolm-update asking the update-address service at `noticeUrl` first.
inline std::vector<std::string> UpdateCommandWithNotice(const std::string& root, const std::string& noticeUrl) {
    return {TOLM_UPDATE, "--root", root, "--notice-url", noticeUrl, "--retry-pause", "1"};
}

// tolm-entrance applying the launcher journal below `root` without starting the launcher.
inline std::vector<std::string> ApplyJournalCommand(const std::string& root) {
    return {TOLM_ENTRANCE, "--root", root, "--apply-only"};
}

// tolm-update's exit statuses.
inline constexpr int kUpdateCurrent = 0;
inline constexpr int kUpdateNoticeFailed = 2;
inline constexpr int kUpdateConfigFailed = 3;
inline constexpr int kUpdateDownloadFailed = 4;
inline constexpr int kUpdateLauncherFetched = 10;

}  // namespace faults
