#include "resources/ProgressStageTable.h"

#include "shell/ProgressText.h"
#include "shell/StageTexts.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr ProgressStageRow kRows[] = {
    {LocalCheckBegin, "开始校验本地资源...", StageBar::Empty, StatusLine::Clear, StageAction::StartOver, false},
    {LocalCheckEnd, "校验本地资源完成...", StageBar::Full, StatusLine::Clear, StageAction::None, false},
    {LauncherManifestBegin, nullptr, StageBar::Keep, StatusLine::Clear, StageAction::None, false},
    {LauncherManifestEnd, nullptr, StageBar::Keep, StatusLine::Clear, StageAction::None, false},
    {CdnCheckBegin, "开始比对服务器资源...", StageBar::Empty, StatusLine::Clear, StageAction::None, false},
    {CdnCheckEnd, "比对服务器资源完成...", StageBar::Full, StatusLine::Clear, StageAction::None, false},
    {DownloadSizeNotice, nullptr, StageBar::Keep, StatusLine::Clear, StageAction::CheckDiskSpace, false},
    {CdnCheckFailed, "比对服务器资源失败!", StageBar::Full, StatusLine::Clear, StageAction::AskRetry, false},
    {ResourceDownloadBegin, "美女指挥官正在为您调配游戏资源...", StageBar::Empty, StatusLine::Connecting,
     StageAction::None, true},
    {ResourceDownloadFailed, "加载服务器资源失败!", StageBar::Full, StatusLine::Clear, StageAction::AskRetry, false},
    {LauncherDownloadBegin, "加载Launcher资源中,请耐心等待...", StageBar::Empty, StatusLine::Connecting,
     StageAction::None, true},
    {LauncherDownloadFailed, "加载Launcher资源失败!", StageBar::Full, StatusLine::Clear, StageAction::AskRetry, false},
    {DownloadProgress, nullptr, StageBar::Keep, StatusLine::Keep, StageAction::FollowDownload, true},
    {LauncherUpdateDone, "Launcher更新完成,正在重启Launcher...", StageBar::Full, StatusLine::Fetched,
     StageAction::RestartLauncher, false},
    {ResourceUpdateDone, "资源更新完成,准备启动游戏.", StageBar::Full, StatusLine::Fetched, StageAction::StartGame,
     false},
    {NoticeResultArrived, nullptr, StageBar::Keep, StatusLine::Clear, StageAction::NoticeAnswer, false},
    {NoticeAttemptBegin, nullptr, StageBar::Keep, StatusLine::Keep, StageAction::NoticeAttempt, false},
    // The check writes its own line: files and bytes hashed, and its speed.
    {FileCheckBegin, kFileCheckText, StageBar::Empty, StatusLine::Clear, StageAction::BeginFileCheck, false},
    {FileCheckProgress, nullptr, StageBar::Keep, StatusLine::Keep, StageAction::FollowFileCheck, false},
    {FileCheckEnd, nullptr, StageBar::Full, StatusLine::Keep, StageAction::EndFileCheck, false},
};

}  // namespace

const ProgressStageRow* FindProgressStageRow(int state) {
    const auto* found = std::find_if(std::begin(kRows), std::end(kRows),
                                     [state](const ProgressStageRow& row) { return row.state == state; });
    return found == std::end(kRows) ? nullptr : found;
}

const char* StageTextForState(int state) {
    const ProgressStageRow* row = FindProgressStageRow(state);
    return row ? row->stageText : nullptr;
}

std::optional<std::string> StatusLineForState(int state, std::int64_t totalBytes) {
    const ProgressStageRow* row = FindProgressStageRow(state);
    if (!row)
        return std::nullopt;
    switch (row->status) {
        case StatusLine::Keep:
            return std::nullopt;
        case StatusLine::Clear:
            return std::string();
        case StatusLine::Connecting:
            return std::string(kConnectingText);
        case StatusLine::Fetched:
            // Every byte is in place once the step ended well, whatever the last report counted.
            return totalBytes > 0 ? FormatSizesLine(totalBytes, totalBytes) : std::string();
    }
    return std::nullopt;
}

bool IsDownloadingState(int state) {
    const ProgressStageRow* row = FindProgressStageRow(state);
    return row && row->downloading;
}
