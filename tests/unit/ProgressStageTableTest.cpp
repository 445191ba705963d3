#include "resources/ProgressStageTable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What the player is shown for every report, as the launcher window and the headless updater
// both read it.
TEST(ProgressStageTable, EveryReportsTextBarStatusLineActionAndDownloadingRule) {
    constexpr StageBar K = StageBar::Keep, E = StageBar::Empty, F = StageBar::Full;
    // The status line after a download of 7,424,000 bytes; null keeps the line.
    const char* const none = "";
    const char* const connecting = "正在连接下载服务器...";
    const char* const fetched = "下载进度:7.08MB/7.08MB";
    const struct {
        int state;
        const char* text;
        StageBar bar;
        const char* line;
        StageAction action;
        bool downloading;
    } expected[] = {
        {1, "开始校验本地资源...", E, none, StageAction::StartOver, false},
        {2, "校验本地资源完成...", F, none, StageAction::None, false},
        {3, nullptr, K, none, StageAction::None, false},
        {4, nullptr, K, none, StageAction::None, false},
        {5, "开始比对服务器资源...", E, none, StageAction::None, false},
        {6, "比对服务器资源完成...", F, none, StageAction::None, false},
        {7, nullptr, K, none, StageAction::CheckDiskSpace, false},
        {8, "比对服务器资源失败!", F, none, StageAction::AskRetry, false},
        {9, "美女指挥官正在为您调配游戏资源...", E, connecting, StageAction::None, true},
        {10, "加载服务器资源失败!", F, none, StageAction::AskRetry, false},
        {11, "加载Launcher资源中,请耐心等待...", E, connecting, StageAction::None, true},
        {12, "加载Launcher资源失败!", F, none, StageAction::AskRetry, false},
        {15, nullptr, K, nullptr, StageAction::FollowDownload, true},
        {16, "Launcher更新完成,正在重启Launcher...", F, fetched, StageAction::RestartLauncher, false},
        {17, "资源更新完成,准备启动游戏.", F, fetched, StageAction::StartGame, false},
        {18, nullptr, K, none, StageAction::NoticeAnswer, false},
        {19, "正在校验游戏文件...", E, none, StageAction::BeginFileCheck, false},
        {20, nullptr, K, nullptr, StageAction::FollowFileCheck, false},
        {21, nullptr, F, nullptr, StageAction::EndFileCheck, false},
        {22, nullptr, K, nullptr, StageAction::NoticeAttempt, false},
    };
    for (const auto& e : expected) {
        const ProgressStageRow* row = FindProgressStageRow(e.state);
        ASSERT_NE(row, nullptr) << e.state;
        EXPECT_EQ(static_cast<int>(row->state), e.state);
        EXPECT_EQ(std::string(row->stageText ? row->stageText : "-"), std::string(e.text ? e.text : "-")) << e.state;
        EXPECT_EQ(StageTextForState(e.state), row->stageText) << e.state;
        EXPECT_EQ(row->bar, e.bar) << e.state;
        const std::optional<std::string> line = StatusLineForState(e.state, 7'424'000);
        EXPECT_EQ(line.value_or("(kept)"), e.line ? e.line : "(kept)") << e.state;
        EXPECT_EQ(row->action, e.action) << e.state;
        EXPECT_EQ(IsDownloadingState(e.state), e.downloading) << e.state;
    }
    // States no reporter sends change nothing and never count as downloading.
    for (int state : {0, 13, 14, 23, -1}) {
        EXPECT_EQ(FindProgressStageRow(state), nullptr) << state;
        EXPECT_EQ(StageTextForState(state), nullptr) << state;
        EXPECT_FALSE(IsDownloadingState(state)) << state;
        EXPECT_FALSE(StatusLineForState(state, 7'424'000).has_value()) << state;
    }
    // A run that fetched nothing ends without a sizes line.
    for (int state : {16, 17})
        EXPECT_EQ(StatusLineForState(state, 0), std::string()) << state;
}

}  // namespace
