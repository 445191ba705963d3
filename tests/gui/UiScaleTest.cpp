#include "ui/UiScale.h"

#include <gtest/gtest.h>

namespace {

struct ScaleCase {
    double dpi;
    int width;
    float factor;
};

class UiScaleTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(UiScaleTest, FactorFromDpiAndWidth) {
    const ScaleCase& c = GetParam();
    EXPECT_NEAR(ComputeUiScale(c.dpi, c.width), c.factor, 1e-5) << "dpi " << c.dpi << ", width " << c.width;
}

INSTANTIATE_TEST_SUITE_P(Screens,
                         UiScaleTest,
                         ::testing::Values(
                             // A non-standard dpi decides alone, whatever the width.
                             ScaleCase{144, 1366, 1.5f},
                             ScaleCase{144, 3840, 1.5f},
                             ScaleCase{120, 1920, 1.25f},
                             ScaleCase{72, 1024, 0.75f},
                             // At 96 dpi the width rule: 757..1920 inclusive is 1.0.
                             ScaleCase{96, 1366, 1.0f},
                             ScaleCase{96, 757, 1.0f},
                             ScaleCase{96, 1920, 1.0f},
                             ScaleCase{96, 2560, 2560.0f / 1920.0f},
                             ScaleCase{96, 1921, 1921.0f / 1920.0f},
                             ScaleCase{96, 756, 756.0f / 1920.0f},
                             ScaleCase{96, 640, 640.0f / 1920.0f},
                             // A screen that reports nothing usable must not shrink the windows to nothing.
                             ScaleCase{96, 0, 1.0f},
                             ScaleCase{96, -5, 1.0f},
                             ScaleCase{0, 1920, 1.0f},
                             ScaleCase{-96, 1920, 1.0f}));

TEST(UiScale, EditionBackgroundSizeFollowsTheFactor) {
    // 987 x 388 design pixels, truncated after scaling.
    EXPECT_EQ(ScaleDesignPixels(987, ComputeUiScale(144, 1920)), 1480);
    EXPECT_EQ(ScaleDesignPixels(388, ComputeUiScale(144, 1920)), 582);
    EXPECT_EQ(ScaleDesignPixels(987, ComputeUiScale(96, 1366)), 987);
    EXPECT_EQ(ScaleDesignPixels(987, ComputeUiScale(96, 2560)), 1316);
    EXPECT_EQ(ScaleDesignPixels(388, ComputeUiScale(96, 2560)), 517);
}

TEST(UiScale, PrimaryScreenInLogicalPixels) {
    // The offscreen test screen: 96 logical dpi, 800 logical pixels wide. The other window tests
    // rely on this factor of 1.
    EXPECT_FLOAT_EQ(GetUiScale(), 1.0f);
}

}  // namespace
