// Which file a screenshot or recorded frame goes to.
#include <gtest/gtest.h>

#include <climits>

#include "app/scene_capture.h"

namespace {

TEST(SceneCapture, OneShotFrameKeepsThePathAndSeveralAddTheFrameNumber) {
    EXPECT_EQ(shotFileFor({30}, "out/a.png", 30), "out/a.png");
    EXPECT_EQ(shotFileFor({30}, "out/a.png", 29), "");
    EXPECT_EQ(shotFileFor({30, 40}, "out/b", 40), "out/b_40.png");
    EXPECT_EQ(shotFileFor({30, 40}, "out/b", 35), "");
    EXPECT_EQ(shotFileFor({}, "out/b", 1), "");
}

TEST(SceneCapture, RecordingNumbersEverySecondFrameWithoutGaps) {
    EXPECT_EQ(recordFileFor("r", 10, 9), "");
    EXPECT_EQ(recordFileFor("r", 10, 10), "r/f_00000.png");
    EXPECT_EQ(recordFileFor("r", 10, 11), "");
    EXPECT_EQ(recordFileFor("r", 10, 20), "r/f_00005.png");
    EXPECT_EQ(recordFileFor("r", -3, 1), "r/f_00002.png");
    // A start far below zero neither overflows nor loses the numbering.
    EXPECT_EQ(recordFileFor("r", INT_MIN, 0), "r/f_1073741824.png");
}

} // namespace
