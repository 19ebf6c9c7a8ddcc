// The intro's timing against the character builds: it lasts at least five
// seconds, waits for the last build, and a skip jumps toward the end.
#include <gtest/gtest.h>

#include "app/match_frame.h"
#include "app/startup.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;

// Runs frames until the intro ends; returns the frame count (-1 after 2000).
int framesUntilEnd(IntroClock& c, int builds, int skipFrame = -1, int buildsAfterSkip = -1) {
    for (int f = 0; f < 2000; ++f) {
        const int done = (skipFrame >= 0 && f >= skipFrame && buildsAfterSkip >= 0) ? buildsAfterSkip : builds;
        if (advanceIntro(c, kFrame, done, f == skipFrame)) return f;
    }
    return -1;
}

TEST(Intro, FastBuildsStillPlayFiveSeconds) {
    IntroClock c;
    const int f = framesUntilEnd(c, 8);
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

TEST(Intro, KeysInTheFirstThreeTenthsDoNotSkip) {
    IntroClock c;
    advanceIntro(c, 0.1f, 8, true);
    advanceIntro(c, 0.1f, 8, true);
    EXPECT_FALSE(c.skipRequested);
    EXPECT_NEAR(c.t, 0.2f, 1e-6f);
}

TEST(PauseGuard, PauseWaitsForTheScreenToSettleAndNeverAfterTheMatch) {
    pauseOpen = false;
    EXPECT_FALSE(pauseMayOpen(0.1f, 2));
    EXPECT_FALSE(pauseMayOpen(0.2f, 2));
    EXPECT_TRUE(pauseMayOpen(0.25f, 2));
    EXPECT_FALSE(pauseMayOpen(5.0f, 4));
}

} // namespace

namespace {

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
