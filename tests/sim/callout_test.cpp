// Callouts: the list the HUD reads, and the play-by-play lines of "--log".
#include <cstdio>
#include <string>
#include <gtest/gtest.h>

#include "app/run_flags.h"
#include "sim/callout.h"
#include "sim/match_state.h"

namespace {

constexpr Color kGold = {255, 230, 120, 255};

struct LogFlag {
    explicit LogFlag(bool on) { playByPlayLog = on; }
    ~LogFlag() { playByPlayLog = false; }
};

std::string captured(void (*post)(MatchState&), MatchState& s) {
    testing::internal::CaptureStdout();
    post(s);
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

TEST(Callouts, LogPrintsBannersAndWorldTextsInTheirFormats) {
    LogFlag log(true);
    MatchState s;
    s.clock = 12.34f;
    s.scores[0] = 11;
    s.scores[1] = 7;
    const std::string out = captured(
        [](MatchState& m) {
            postCallout(m, "SPLASH!", kGold, 80, 1.8f);
            postWorldCallout(m, "+3", kGold, {1, 2, 3}, 34);
        },
        s);
    EXPECT_EQ(out, "[  12.3] 11-7  SPLASH!\n[  12.3]        (+3)\n");

    ASSERT_EQ(s.callouts.size(), 2u);
    const Callout& banner = s.callouts[0];
    EXPECT_EQ(banner.text, "SPLASH!");
    EXPECT_EQ(banner.world, 0);
    EXPECT_EQ(banner.size, 80.0f);
    EXPECT_EQ(banner.duration, 1.8f);
    EXPECT_EQ(banner.age, 0.0f);
    EXPECT_EQ(banner.worldPos.x, 0.0f);
    const Callout& world = s.callouts[1];
    EXPECT_EQ(world.text, "+3");
    EXPECT_EQ(world.world, 1);
    EXPECT_EQ(world.duration, 1.3f);
    EXPECT_EQ(world.worldPos.z, 3.0f);
}

TEST(Callouts, WithoutTheLogNothingIsPrintedAndTheListStillFills) {
    LogFlag log(false);
    MatchState s;
    const std::string out = captured(
        [](MatchState& m) {
            postCallout(m, "BUCKET!", kGold, 66, 1.6f);
            postCallout(m, "GAME!", kGold, 110, 2.5f);
        },
        s);
    EXPECT_EQ(out, "");
    ASSERT_EQ(s.callouts.size(), 2u);
    EXPECT_EQ(s.callouts[0].text, "BUCKET!");
    EXPECT_EQ(s.callouts[1].text, "GAME!");
}

TEST(Callouts, AgeingDropsOnlyThosePastTheirDurationAndKeepsOrder) {
    MatchState s;
    postCallout(s, "A", kGold, 60, 2.0f);
    postWorldCallout(s, "B", kGold, {0, 0, 0}, 20); // 1.3 s
    postCallout(s, "C", kGold, 60, 1.6f);
    ageCallouts(s, 1.3f);
    ASSERT_EQ(s.callouts.size(), 3u); // an age equal to the duration stays
    ageCallouts(s, 0.01f);
    ASSERT_EQ(s.callouts.size(), 2u);
    EXPECT_EQ(s.callouts[0].text, "A");
    EXPECT_EQ(s.callouts[1].text, "C");
    ageCallouts(s, 0.5f);
    ASSERT_EQ(s.callouts.size(), 1u);
    EXPECT_EQ(s.callouts[0].text, "A");
}

TEST(Callouts, NewMatchOpensWithTheTargetBanner) {
    LogFlag log(true);
    static MatchState s; // large record: keep it off the stack
    const std::string out = captured(
        [](MatchState& m) { initMatchState(m, 0, 1, 0, nullptr, nullptr, 15, 1); }, s);
    EXPECT_EQ(out, "[   0.0] 0-0  FIRST TO 15\n");
    ASSERT_EQ(s.callouts.size(), 1u);
    EXPECT_EQ(s.callouts[0].size, 70.0f);
    EXPECT_EQ(s.callouts[0].duration, 2.4f);
}

} // namespace
