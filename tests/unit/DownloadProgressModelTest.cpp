#include "shell/DownloadProgressModel.h"
#include "shell/ProgressText.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressTextTest, ByteSizes) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "1 KB"},
        {1023, "1 KB"},
        {1024, "2KB"},
        {1048575, "1024KB"},
        {1048576, "1.00MB"},
        {1073741823, "1024.00MB"},
        {3221225472ull, "3.00G"},
        {1610612736ull, "1.50G"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(FormatByteSize(bytes), text) << bytes;
    EXPECT_EQ(FormatByteSize(std::int64_t{-5}), "1 KB");
    EXPECT_EQ(FormatByteSize(std::int64_t{2048}), "3KB");
}

TEST(ProgressTextTest, Durations) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {-3, "-3秒"},       {0, "0秒"},         {59, "59秒"},       {60, "1分0秒"},
        {3599, "59分59秒"}, {3600, "1.00小时"}, {5400, "1.50小时"}, {7200, "2.00小时"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(FormatDuration(seconds), text) << seconds;
}

TEST(DownloadProgressModelTest, ThreeSweepsForTheTipsOneForTheBar) {
    DownloadProgressModel model;
    model.OnProgress(500, 1000);
    EXPECT_FLOAT_EQ(model.progressRatio(), 1.0f);
    EXPECT_FLOAT_EQ(model.barProgress(), 0.5f) << "the bar is the share of the bytes";
    EXPECT_EQ(model.stageKey(), 0);
    model.OnProgress(501, 1000);
    EXPECT_EQ(model.stageKey(), 1);
    EXPECT_NEAR(model.progressRatio(), 0.0026f, 0.0001f);
    EXPECT_FLOAT_EQ(model.barProgress(), 0.501f);
    model.OnProgress(884, 1000);  // just below 88.46 %
    EXPECT_EQ(model.stageKey(), 1);
    model.OnProgress(1000, 1000);
    EXPECT_EQ(model.stageKey(), 2);
    EXPECT_NEAR(model.progressRatio(), 1.0f, 1e-5f);
    EXPECT_NEAR(model.barProgress(), 1.0f, 1e-5f);
    // The stage never goes back within a download, only Reset starts over.
    model.OnProgress(100, 1000);
    EXPECT_EQ(model.stageKey(), 2);
    EXPECT_FLOAT_EQ(model.barProgress(), 0.1f);
    model.Reset();
    EXPECT_EQ(model.stageKey(), 0);
    EXPECT_EQ(model.barProgress(), 0.0f);
    // A stage's end outside a download fills the bar.
    model.SetProgressRatio(1.0f);
    EXPECT_EQ(model.barProgress(), 1.0f);
}

TEST(DownloadProgressModelTest, TipsFollowStageAndRatio) {
    DownloadProgressModel model;
    model.ChooseTip(0, 0.5f);
    EXPECT_EQ(model.tipText(), "美女指挥官正在为您调配游戏资源...");
    model.ChooseTip(0, 0.8f);
    EXPECT_EQ(model.tipText(), "正在加载精致战舰模型");
    model.ChooseTip(2, 0.3f);
    EXPECT_EQ(model.tipText(), "正在加载世界各大海域资源");
    model.ChooseTip(1, 1.0f);  // no entry applies: the previous tip stays
    EXPECT_EQ(model.tipText(), "正在加载世界各大海域资源");
}

TEST(DownloadProgressModelTest, SpeedIsTheSixSecondAverage) {
    DownloadProgressModel model;
    EXPECT_FALSE(model.OnStatusTick(false));
    model.OnProgress(0, 6000000);
    ASSERT_TRUE(model.OnStatusTick(true));
    // Nothing arrived yet: the line tells the sizes, not a finished update.
    EXPECT_EQ(model.statusLine(), "下载进度:1 KB/5.72MB");
    model.OnProgress(600000, 6000000);
    ASSERT_TRUE(model.OnStatusTick(true));
    // One second of 600,000 bytes averaged over six: 100,000 bytes/s.
    EXPECT_EQ(model.averageSpeed(), 100000u);
    EXPECT_EQ(model.statusLine(), "速度:98KB/秒 预计:54秒 下载进度:586KB/5.72MB");
    model.OnProgress(1200000, 6000000);
    model.OnStatusTick(true);
    EXPECT_EQ(model.averageSpeed(), 200000u);
    // A stall: the last speed stays while zero samples replace the old ones, then falls.
    for (int i = 0; i < 4; ++i)
        model.OnStatusTick(true);
    EXPECT_EQ(model.averageSpeed(), 200000u);
    model.OnStatusTick(true);
    EXPECT_EQ(model.averageSpeed(), 100000u);
    model.OnStatusTick(true);
    EXPECT_EQ(model.averageSpeed(), 0u);
    EXPECT_EQ(model.statusLine(), "下载进度:1.14MB/5.72MB");
}

}  // namespace
