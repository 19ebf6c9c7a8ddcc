// The intro's timing against the character builds: it lasts at least five
// seconds, waits for the last build, and a skip jumps toward the end. The
// exit save during an online match.
#include <gtest/gtest.h>

#include "app/match_frame.h"
#include "app/startup.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;

TEST(Intro, FastBuildsStillPlayFiveSeconds) {
    IntroClock c;
    int f = 0;
    while (f < 2000 && !advanceIntro(c, kFrame, 8, false)) ++f;
    EXPECT_NEAR((f + 1) * kFrame, 5.0f, 2 * kFrame);
}

TEST(Intro, SlowBuildsKeepTheIntroUntilTheLastOneIsDone) {
    IntroClock c;
    for (int f = 0; f < 600; ++f) EXPECT_FALSE(advanceIntro(c, kFrame, 7, false));
    EXPECT_GT(c.t, 9.9f);
    EXPECT_TRUE(advanceIntro(c, kFrame, 8, false)); // the first frame on which all eight are done
}

TEST(Intro, SkipJumpsTo4point4WhenBuilt) {
    IntroClock c;
    for (int f = 0; f < 60; ++f) advanceIntro(c, kFrame, 8, false);
    advanceIntro(c, kFrame, 8, true);
    EXPECT_NEAR(c.t, 4.4f, 1e-5f);
    EXPECT_TRUE(c.skipRequested);
}

TEST(Intro, SkipWhileBuildingWaitsFromFourSeconds) {
    IntroClock c;
    for (int f = 0; f < 60; ++f) advanceIntro(c, kFrame, 3, false);
    advanceIntro(c, kFrame, 3, true);
    EXPECT_NEAR(c.t, 4.0f, 1e-5f);
    // Still building: no end before the builds finish, and the time runs on.
    for (int f = 0; f < 120; ++f) EXPECT_FALSE(advanceIntro(c, kFrame, 5, false));
    EXPECT_TRUE(advanceIntro(c, kFrame, 8, false));
}

TEST(ExitSave, AnOnlineMatchNeverSavesThePartyRules) {
    settings = Settings{};
    savedSettings = Settings{};
    savedSettings.difficulty = 0;
    settings.difficulty = 3; // the party's level
    onlineMatchActive = true;
    EXPECT_EQ(settingsToKeep().difficulty, 0);
    onlineMatchActive = false;
    EXPECT_EQ(settingsToKeep().difficulty, 3);
}

} // namespace
