// The lineup's posing and its pages, without a window.
#include <gtest/gtest.h>

#include <raylib.h>
#include <raymath.h>

#include "ui/lineup.h"

TEST(Lineup, TheDribbledBallBouncesBetweenFloorAndHand) {
    const LineupEntry dribbler = {nullptr, 2.5f, 0, 6.7f, -0.25f, kStanceDribble};
    lineupBounce = 3.0f;
    const LineupFigure down = poseLineupEntry(dribbler, 1.0f);
    ASSERT_TRUE(down.hasBall);
    EXPECT_NEAR(down.ball.y, 0.121f, 1e-5f);
    const Vector3 spot = {2.5f + 0.35f * sinf(-0.25f) - 0.25f * cosf(-0.25f), 0.121f,
                          6.7f + 0.35f * cosf(-0.25f) + 0.25f * sinf(-0.25f)};
    EXPECT_LT(Vector3Distance(down.ball, spot), 1e-4f);
    lineupBounce = 3.5f;
    const LineupFigure up = poseLineupEntry(dribbler, 1.0f);
    const Vector3 hand = handPosition(up.skeleton, 1);
    EXPECT_LT(Vector3Distance(up.ball, Vector3Subtract(hand, {0, 0.136f, 0})), 1e-4f);
    lineupBounce = 0;

    // Plain standing, presets and emotes carry no ball.
    for (int pose : {kStancePlain, -1, kFirstPresetPose + 2, kFirstEmotePose + 5})
        EXPECT_FALSE(poseLineupEntry({nullptr, 0, 0, 0, 0, pose}, 1.0f).hasBall) << pose;
}

TEST(Lineup, OnlyTheTitleCameraMovesInForACloseup) {
    EXPECT_GT(menuLineup(-1, false, 2.0f).camera.position.z, menuLineup(-1, true, 2.0f).camera.position.z);
    for (int page = 0; page <= 3; ++page) {
        const LineupShot plain = menuLineup(page, false, 2.0f), close = menuLineup(page, true, 2.0f);
        EXPECT_TRUE(Vector3Equals(plain.camera.position, close.camera.position)) << page;
    }
}
