#include "resources/ProgressStageTable.h"

#include "shell/StageTexts.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr ProgressStageRow kRows[] = {
    {LocalCheckBegin, "开始校验本地资源...", StageBar::Empty, StageAction::StartOver, false},
    {LocalCheckEnd, "校验本地资源完成...", StageBar::Full, StageAction::None, false},
    {LauncherManifestBegin, nullptr, StageBar::Keep, StageAction::None, false},
    {LauncherManifestEnd, nullptr, StageBar::Keep, StageAction::None, false},
    {CdnCheckBegin, "开始比对服务器资源...", StageBar::Empty, StageAction::None, false},
    {CdnCheckEnd, "比对服务器资源完成...", StageBar::Full, StageAction::None, false},
    {DownloadSizeNotice, nullptr, StageBar::Keep, StageAction::CheckDiskSpace, false},
    {CdnCheckFailed, "比对服务器资源失败!", StageBar::Full, StageAction::AskRetry, false},
    {ResourceDownloadBegin, "美女指挥官正在为您调配游戏资源...", StageBar::Empty, StageAction::None, true},
    {ResourceDownloadFailed, "加载服务器资源失败!", StageBar::Full, StageAction::AskRetry, false},
    {LauncherDownloadBegin, "加载Launcher资源中,请耐心等待...", StageBar::Empty, StageAction::None, true},
    {LauncherDownloadFailed, "加载Launcher资源失败!", StageBar::Full, StageAction::AskRetry, false},
    {DownloadProgress, nullptr, StageBar::Keep, StageAction::FollowDownload, true},
    {LauncherUpdateDone, "Launcher更新完成,正在重启Launcher...", StageBar::Full, StageAction::RestartLauncher, false},
    {ResourceUpdateDone, "资源更新完成,准备启动游戏.", StageBar::Full, StageAction::StartGame, false},
    {NoticeResultArrived, nullptr, StageBar::Keep, StageAction::NoticeAnswer, false},
    {FileCheckBegin, kFileCheckText, StageBar::Empty, StageAction::BeginFileCheck, false},
    {FileCheckProgress, nullptr, StageBar::Keep, StageAction::FollowFileCheck, false},
    {FileCheckEnd, nullptr, StageBar::Full, StageAction::EndFileCheck, false},
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

bool IsDownloadingState(int state) {
    const ProgressStageRow* row = FindProgressStageRow(state);
    return row && row->downloading;
}
