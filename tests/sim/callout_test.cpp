// Callouts: the list the HUD reads, and the play-by-play lines of "--log".
#include <cstdio>
#include <string>
#include <gtest/gtest.h>

#include "app/run_flags.h"
#include "sim/callout.h"
#include "sim/match_state.h"

namespace {

constexpr Color kGold = {255, 230, 120, 255};

// Runs post with the play-by-play flag set or not; returns what was printed.
template <typename Post>
std::string printed(bool log, Post post) {
    playByPlayLog = log;
    testing::internal::CaptureStdout();
    post();
    std::fflush(stdout);
    playByPlayLog = false;
    return testing::internal::GetCapturedStdout();
}

TEST(Callouts, LogLinesAndListEntries) {
    MatchState s;
    s.clock = 12.34f;
    s.scores[0] = 11;
    s.scores[1] = 7;
    const std::string out = printed(true, [&] {
        postCallout(s, "SPLASH!", kGold, 80, 1.8f);
        postWorldCallout(s, "+3", kGold, {1, 2, 3}, 34);
    });
    EXPECT_EQ(out, "[  12.3] 11-7  SPLASH!\n[  12.3]        (+3)\n");
    ASSERT_EQ(s.callouts.size(), 2u);
    EXPECT_EQ(s.callouts[0].world, 0);
    EXPECT_EQ(s.callouts[0].duration, 1.8f);
    EXPECT_EQ(s.callouts[1].world, 1);
    EXPECT_EQ(s.callouts[1].duration, 1.3f); // world texts always last 1.3 s
    EXPECT_EQ(s.callouts[1].worldPos.z, 3.0f);

    // Without the flag nothing is printed and the list still fills.
    EXPECT_EQ(printed(false, [&] { postCallout(s, "GAME!", kGold, 110, 2.5f); }), "");
    EXPECT_EQ(s.callouts.back().text, "GAME!");
}

TEST(Callouts, AgeingDropsOnlyThosePastTheirDurationAndKeepsOrder) {
    MatchState s;
    postCallout(s, "A", kGold, 60, 2.0f);
    postWorldCallout(s, "B", kGold, {0, 0, 0}, 20);
    postCallout(s, "C", kGold, 60, 1.6f);
    ageCallouts(s, 1.3f);
    EXPECT_EQ(s.callouts.size(), 3u); // an age equal to the duration stays
    ageCallouts(s, 0.01f);
    ASSERT_EQ(s.callouts.size(), 2u);
    EXPECT_EQ(s.callouts[0].text + s.callouts[1].text, "AC");
}

TEST(Callouts, NewMatchOpensWithTheTargetBanner) {
    static MatchState s; // large record: keep it off the stack
    const std::string out = printed(true, [&] { initMatchState(s, 0, 1, 0, nullptr, nullptr, 15, 1); });
    EXPECT_EQ(out, "[   0.0] 0-0  FIRST TO 15\n");
}

} // namespace
